// Cost of the input callback path (queue or drop) and of showing one row.
#include <benchmark/benchmark.h>

#include "midi/midi_engine.h"

namespace {

MidiView countingView(int& rows) {
    MidiView view;
    view.appendListRow = [&rows](int, const std::string&) { ++rows; };
    view.deleteFirstListRow = [](int) {};
    view.listRowCount = [&rows](int) { return rows; };
    view.scrollListToEnd = [](int) {};
    return view;
}

void BM_OnMidiInputQueued(benchmark::State& state) {
    MidiEngine engine;
    int rows = 0;
    engine.view = countingView(rows);
    uint32_t stamp = 0;
    for (auto _ : state) {
        onMidiInput(engine, 0x7F3C90, ++stamp);
        if (engine.inFlight.load() == kMidiInFlightLimit) {
            state.PauseTiming();
            drainMidiInput(engine);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_OnMidiInputQueued);

void BM_OnMidiInputDropped(benchmark::State& state) {
    MidiEngine engine;
    for (int32_t i = 0; i < kMidiInFlightLimit; ++i) onMidiInput(engine, 0x7F3C90, 0);
    for (auto _ : state) onMidiInput(engine, 0x7F3C90, 1);
    benchmark::DoNotOptimize(engine.dropped.load());
}
BENCHMARK(BM_OnMidiInputDropped);

void BM_DrainOneRow(benchmark::State& state) {
    MidiEngine engine;
    int rows = 0;
    engine.view = countingView(rows);
    for (auto _ : state) {
        onMidiInput(engine, 0x7F3C90, 1532);
        drainMidiInput(engine);
    }
}
BENCHMARK(BM_DrainOneRow);

}  // namespace

BENCHMARK_MAIN();
