// Speed of the cut order of one layout (TMergeLine::BuildCutSequence) and of
// the merging before it, for layouts of 250 to 2000 pieces on one sheet as
// the G-code and drawing outputs build them: blade 4, trims 10.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/defaults.h"
#include "engine/merge_line.h"
#include "engine/pubstr.h"

namespace {

constexpr std::int32_t kUnit = 1000;  // internal units per user unit

// Pieces (sizes with the blade) packed in rows across a sheet long enough to
// hold Pieces of them; a third of the places hold two pieces one above the
// other. The lines are the pieces' sides, merged.
TMergeLine Layout(int Pieces) {
    ResetProgramDefaults();
    BladeWidth = 4 * kUnit;
    WidthEdge = LengthEdge = 10 * kUnit;
    std::mt19937 rng(static_cast<unsigned>(Pieces));
    auto next = [&rng](std::int32_t N) { return std::uniform_int_distribution<std::int32_t>(0, N - 1)(rng); };
    const std::int32_t sheetWidth = 2070 * kUnit;
    std::vector<T2DStock> placed;
    std::int32_t x = 0;
    while (static_cast<int>(placed.size()) < Pieces) {
        std::int32_t y = 0;
        const std::int32_t len = (80 + next(400)) * kUnit;
        while (y < sheetWidth - 60 * kUnit && static_cast<int>(placed.size()) < Pieces) {
            T2DStock p;
            p.Position = {x, y};
            p.Length = len;
            p.Width = std::min(sheetWidth - y, (60 + next(300)) * kUnit);
            placed.push_back(p);
            y += p.Width;
        }
        x += len;
    }
    TMergeLine& set = MergeLineSet;
    set.ClearLines();
    set.SetSheetLength(x + 2 * WidthEdge);
    set.SetSheetWidth(sheetWidth + 2 * LengthEdge);
    for (const T2DStock& p : placed) AddPieceEdgesToMergeLine(p, {WidthEdge, LengthEdge});
    TMergeLine copy = set;
    set.ClearLines();
    return copy;
}

void BM_BuildCutSequence(benchmark::State& State) {
    TMergeLine merged = Layout(static_cast<int>(State.range(0)));
    merged.MergeLines();
    for (auto _ : State) {
        TMergeLine m = merged;
        m.BuildCutSequence();
        benchmark::DoNotOptimize(m.Merged.data());
    }
    State.counters["cuts"] = static_cast<double>(merged.Merged.size());
}
BENCHMARK(BM_BuildCutSequence)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_MergeLines(benchmark::State& State) {
    const TMergeLine raw = Layout(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        TMergeLine m = raw;
        m.MergeLines();
        benchmark::DoNotOptimize(m.Merged.data());
    }
    State.counters["lines"] = static_cast<double>(raw.Lines.size());
}
BENCHMARK(BM_MergeLines)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
