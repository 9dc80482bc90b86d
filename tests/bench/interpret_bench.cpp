// Throughput of the receive path per terminal type, on 10 MB of the output
// typical of each, drawn into nothing. Where Debian's libvterm is installed the
// same BBS stream is also run through it as a yardstick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench/streams.h"
#include "comm/pump.h"
#include "comm/terminal_rig.h"

#ifdef PALVEX_HAVE_LIBVTERM
#include <vterm.h>
#endif

namespace {

constexpr std::size_t kStreamSize = 10u << 20;

enum Stream { kBbs, kEditor, kWyse, kVt52, kText };

const std::string& StreamOf(Stream which) {
    static const std::string streams[] = {
        palvex::bench::BbsAnsiArt(kStreamSize), palvex::bench::Vt220Editor(kStreamSize),
        palvex::bench::WyseAddressing(kStreamSize), palvex::bench::Vt52Screen(kStreamSize),
        palvex::bench::TeletypeText(kStreamSize)};
    return streams[which];
}

// InterpretBytes in bursts of 1023, as the pump hands them over.
void BM_Interpret(benchmark::State& state, int type, Stream which) {
    const std::string& stream = StreamOf(which);
    palvex::TermOptions options;
    options.type = type;
    palvex::TerminalRig rig(options);
    const auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += palvex::kBurstLimit) {
            const int n = static_cast<int>(std::min<std::size_t>(palvex::kBurstLimit, stream.size() - at));
            palvex::InterpretBytes(rig.session, bytes + at, n);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}

BENCHMARK_CAPTURE(BM_Interpret, tty_text, palvex::kTypeTty, kText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt100color_bbs, palvex::kTypeVt100Color, kBbs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, scoansi_bbs, palvex::kTypeScoAnsi, kBbs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt100_editor, palvex::kTypeVt100, kEditor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt102_editor, palvex::kTypeVt102, kEditor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt220_editor, palvex::kTypeVt220, kEditor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt320_editor, palvex::kTypeVt320, kEditor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, vt52_screen, palvex::kTypeVt52, kVt52)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, wyse50_addressing, palvex::kTypeWyse50, kWyse)->Unit(benchmark::kMillisecond);

// The whole receive path: single-byte reads, bursts, line polls.
void BM_DrainPortTty(benchmark::State& state) {
    const std::string& stream = StreamOf(kText);
    palvex::TermOptions options;
    options.type = palvex::kTypeTty;
    palvex::TerminalRig rig(options);
    for (auto _ : state) rig.Receive(stream);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_DrainPortTty)->Unit(benchmark::kMillisecond);

#ifdef PALVEX_HAVE_LIBVTERM
// libvterm with its screen layer (cells kept, no damage callbacks), 80x24, on
// the same BBS stream in the same bursts.
void BM_LibvtermBbs(benchmark::State& state) {
    const std::string& stream = StreamOf(kBbs);
    VTerm* vt = vterm_new(24, 80);
    vterm_set_utf8(vt, 0);
    VTermScreen* screen = vterm_obtain_screen(vt);
    vterm_screen_reset(screen, 1);
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += palvex::kBurstLimit) {
            const std::size_t n = std::min<std::size_t>(palvex::kBurstLimit, stream.size() - at);
            vterm_input_write(vt, stream.data() + at, n);
        }
        benchmark::ClobberMemory();
    }
    vterm_free(vt);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_LibvtermBbs)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
