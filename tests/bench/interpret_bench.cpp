// Throughput of the standard interpreter on a teletype: 10 MB of mixed text and
// control characters, fed in bursts as the pump would, drawn into nothing.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "comm/pump.h"
#include "comm/terminal_rig.h"

namespace {

std::string MixedStream(std::size_t size) {
    std::mt19937 gen(42);
    std::string out;
    out.reserve(size + 256);
    const char* words[] = {"the ", "quick ", "brown ", "fox ", "BBS ", "message ", "area ", "1200 ", "baud ", "-- "};
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        if (roll < 70) {
            out += words[gen() % 10];
        } else if (roll < 85) {
            out += "\r\n";
        } else if (roll < 90) {
            out += '\t';
        } else if (roll < 93) {
            out += "\b\b";
        } else if (roll < 95) {
            out += '\r';
        } else if (roll < 97) {
            out += "\x1b[1m";  // ignored by a teletype, shown as text
        } else {
            out += static_cast<char>(0xA0 + gen() % 0x5F);
        }
    }
    out.resize(size);
    return out;
}

void BM_InterpretBytesTty(benchmark::State& state) {
    const std::string stream = MixedStream(10u << 20);
    palvex::TermOptions options;
    options.type = palvex::kTypeTty;
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
BENCHMARK(BM_InterpretBytesTty)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same stream through the whole receive path: single-byte reads, bursts,
// line polls.
void BM_DrainPortTty(benchmark::State& state) {
    const std::string stream = MixedStream(10u << 20);
    palvex::TermOptions options;
    options.type = palvex::kTypeTty;
    palvex::TerminalRig rig(options);
    for (auto _ : state) rig.Receive(stream);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_DrainPortTty)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
