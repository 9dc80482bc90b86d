// The fields of one open dialog as the platform-free dialog logic sees them.
// The Win32 side forwards to the dialog's controls; tests use the recording
// view below and drive the logic without a window.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace palvex {

class DialogView {
public:
    virtual ~DialogView() = default;

    virtual void SetText(int control, const std::string& text) = 0;
    virtual std::string GetText(int control) = 0;
    // The most characters the user may type into an edit control.
    virtual void LimitText(int control, int maxChars) = 0;
    virtual void SetChecked(int control, bool checked) = 0;
    virtual bool IsChecked(int control) = 0;
    virtual void Enable(int control, bool enabled) = 0;
    // The shared message box, owned by this dialog; returns the button code.
    virtual int ShowMessage(int stringId, const char* extra, unsigned style) = 0;
    // The help file at the given context.
    virtual void ShowHelp(unsigned context) = 0;
    // Ends the dialog with `result`.
    virtual void Close(int result) = 0;
};

// Keeps the fields in memory and records what the logic asked for.
class RecordingDialogView : public DialogView {
public:
    struct Message {
        int stringId;
        std::string extra;
        unsigned style;
    };

    std::map<int, std::string> texts;
    std::map<int, int> limits;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;
    std::vector<Message> messages;
    std::vector<unsigned> helpContexts;
    bool closed = false;
    int result = 0;
    int answer = 1;  // what ShowMessage returns

    void SetText(int control, const std::string& text) override { texts[control] = text; }
    std::string GetText(int control) override {
        auto it = texts.find(control);
        return it == texts.end() ? std::string() : it->second;
    }
    void LimitText(int control, int maxChars) override { limits[control] = maxChars; }
    void SetChecked(int control, bool checked) override { checks[control] = checked; }
    bool IsChecked(int control) override {
        auto it = checks.find(control);
        return it != checks.end() && it->second;
    }
    void Enable(int control, bool on) override { enabled[control] = on; }
    int ShowMessage(int stringId, const char* extra, unsigned style) override {
        messages.push_back({stringId, extra ? extra : "", style});
        return answer;
    }
    void ShowHelp(unsigned context) override { helpContexts.push_back(context); }
    void Close(int code) override {
        closed = true;
        result = code;
    }
};

}  // namespace palvex
