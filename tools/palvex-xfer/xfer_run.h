// One transfer of palvex-xfer: the service record and the port built from
// the command line, the transfer run through the same session functions as
// the status dialog, its progress written to a log stream.
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "comm/port_backend.h"
#include "xfer_options.h"

namespace palvex::xfer {

// Writes what the status dialog would show: a progress line (rewritten in
// place on a terminal, at most every so often elsewhere), retries and other
// error texts as they happen, and the end.
class Reporter {
public:
    // `interactive`: the log is a terminal. `silent`: the log shares the
    // line with the protocol, so nothing may be written until it ends.
    Reporter(FILE* log, bool interactive, bool silent) : log_(log), interactive_(interactive), silent_(silent) {}

    void OnField(int control, const std::string& text, uint32_t now);
    // The last progress line, the status and the error text; then the
    // messages the transfer showed.
    void Finish(const std::string& status, const std::string& errorText, const std::vector<int>& messages);
    // A line of its own, always; Note only while the log is not the line.
    void Say(const std::string& text);
    void Note(const std::string& text) {
        if (!silent_) Say(text);
    }

    std::string Field(int control) const;

private:
    void Progress(uint32_t now, bool force);
    void EndProgressLine();

    FILE* log_;
    bool interactive_;
    bool silent_;
    std::map<int, std::string> fields_;
    bool progressDue_ = false;
    bool progressLineOpen_ = false;
    bool everPrinted_ = false;
    uint32_t lastProgress_ = 0;
    std::string lastError_;
    std::string progressSize_;
};

// The text of a message the transfer shows by string id.
std::string MessageText(int stringId);

// How the run sees its line beyond the port layer.
struct LineHooks {
    // The far end has closed its side (a carrier loss, said plainly).
    std::function<bool()> gone;
    // Waits up to `ms` for something to read.
    std::function<void(int ms)> wait;
};

struct RunSettings {
    // The device name given to OpenPort.
    std::string deviceName = "stdio";
    // A line that is connected from the start (standard input and output):
    // its carrier counts as seen, so its loss is reported.
    bool carrierFromStart = true;
    FILE* log = stderr;
    bool interactive = false;
    bool silent = false;
    // Presses of Cancel asked for from outside (SIGINT); only the first acts.
    const volatile std::sig_atomic_t* cancelRequests = nullptr;
};

// Runs the transfer the options describe on `device` (not yet open). The
// exit status: kExitComplete, kExitFailed, or kExitUsage for a protocol
// that is not available.
int RunTransfer(const Options& options, PortBackend& device, const LineHooks& hooks, const RunSettings& settings);

}  // namespace palvex::xfer
