// Speed of the packing core: filling sheets piece by piece (free rectangles,
// corner choice), offering candidate layouts to a plan, and the guillotine test.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/defaults.h"
#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "engine/schemes.h"

namespace {

// A small reproducible generator, so every run measures the same layouts.
class TLcg {
  public:
    explicit TLcg(std::uint64_t Seed) : s_(Seed) {}
    std::int32_t Next(std::int32_t N) {
        s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::int32_t>((s_ >> 33) % static_cast<std::uint64_t>(N));
    }

  private:
    std::uint64_t s_;
};

constexpr int kPartTypes = 30;
constexpr std::int32_t kUnit = 1000;  // internal units per user unit

TPanels MakeParts(TLcg& Rnd) {
    TPanels parts;
    for (int i = 0; i < kPartTypes; ++i) {
        T2DStock p;
        p.Index = i;
        p.Label = "Part" + std::to_string(i);
        p.Length = (40 + Rnd.Next(140)) * kUnit;
        p.Width = (40 + Rnd.Next(140)) * kUnit;
        p.Quantity = 1;
        parts.AddCopy(p);
    }
    return parts;
}

TPacket MakeSheet(const TPanels& Parts, int SheetIndex) {
    TPacket s = TPacket::CreateFromParts(Parts);
    s.Index = SheetIndex;
    s.Label = "Sheet" + std::to_string(SheetIndex);
    s.Length = 2440 * kUnit;
    s.Width = 1220 * kUnit;
    s.Quantity = 1;
    s.ResetSpaces();
    return s;
}

// Places up to MaxPieces pieces: each goes into the smallest free rectangle
// that holds it, at the corner PlaceAt picks. Returns the number placed.
int Fill(TPacket& Sheet, const TPanels& Parts, TLcg& Rnd, int MaxPieces) {
    int placed = 0, misses = 0;
    while (placed < MaxPieces && misses < 40) {
        T2DStock piece = Parts[Rnd.Next(Parts.Count())];
        int best = -1;
        double bestArea = 0.0;
        for (int i = 0; i < Sheet.Spaces.Count(); ++i) {
            const TSpace& r = Sheet.Spaces[i];
            if (r.Length >= piece.Length && r.Width >= piece.Width &&
                (best < 0 || r.Area() < bestArea)) {
                best = i;
                bestArea = r.Area();
            }
        }
        if (best < 0) {
            ++misses;
            continue;
        }
        Sheet.PlaceAt(piece, best, 1 + placed % 4);
        Sheet.AddPlacement(piece);
        ++placed;
    }
    return placed;
}

void BM_FillSheet(benchmark::State& State) {
    ResetProgramDefaults();
    RollingMode = State.range(1) != 0;
    TLcg partsRnd(7);
    const TPanels parts = MakeParts(partsRnd);
    const TPacket empty = MakeSheet(parts, 0);
    std::int64_t pieces = 0, spaces = 0;
    for (auto _ : State) {
        TLcg rnd(11);
        TPacket sheet = empty;
        pieces += Fill(sheet, parts, rnd, static_cast<int>(State.range(0)));
        spaces += sheet.Spaces.Count();
        benchmark::DoNotOptimize(sheet.Spaces.Items().data());
    }
    State.counters["pieces/sheet"] =
        benchmark::Counter(static_cast<double>(pieces) / State.iterations());
    State.counters["spaces/sheet"] =
        benchmark::Counter(static_cast<double>(spaces) / State.iterations());
    State.counters["pieces/s"] =
        benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillSheet)
    ->Args({100, 0})
    ->Args({300, 0})
    ->Args({300, 1})
    ->Unit(benchmark::kMicrosecond);

// Candidate layouts over four sheet types, each partly filled.
std::vector<TPacket> MakeCandidates(int Count) {
    TLcg rnd(23);
    const TPanels parts = MakeParts(rnd);
    std::vector<TPacket> out;
    out.reserve(static_cast<std::size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        TPacket s = MakeSheet(parts, rnd.Next(4));
        Fill(s, parts, rnd, 10 + rnd.Next(60));
        out.push_back(std::move(s));
    }
    return out;
}

const std::vector<TPacket>& Candidates() {
    static const std::vector<TPacket> c = [] {
        ResetProgramDefaults();
        RollingMode = false;
        return MakeCandidates(3000);
    }();
    return c;
}

// Offers every candidate to an empty plan. Range 0: keep placements;
// range 1: compare equal layouts; range 2: guillotine test.
void BM_AddPacket(benchmark::State& State) {
    const std::vector<TPacket>& cands = Candidates();
    ResetProgramDefaults();
    KeepPlacements = State.range(0) != 0;
    CompareEqualLayouts = State.range(1) != 0;
    const bool guillotine = State.range(2) != 0;
    std::int64_t kept = 0;
    std::vector<TPacket> work;
    for (auto _ : State) {
        State.PauseTiming();
        work = cands;  // the plan may empty the candidates it is offered
        State.ResumeTiming();
        TSchemes plan;
        for (TPacket& c : work) plan.AddPacket(c, guillotine, false);
        kept += plan.Count();
        benchmark::DoNotOptimize(plan.Packets.Items().data());
    }
    State.counters["kept"] = benchmark::Counter(static_cast<double>(kept) / State.iterations());
    State.counters["offers/s"] = benchmark::Counter(
        static_cast<double>(cands.size()) * State.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AddPacket)
    ->Args({0, 0, 0})
    ->Args({1, 1, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMillisecond);

void BM_GuillotineCheck(benchmark::State& State) {
    ResetProgramDefaults();
    RollingMode = false;
    TLcg partsRnd(7);
    const TPanels parts = MakeParts(partsRnd);
    TPacket sheet = MakeSheet(parts, 0);
    TLcg rnd(11);
    const int n = Fill(sheet, parts, rnd, static_cast<int>(State.range(0)));
    for (auto _ : State) benchmark::DoNotOptimize(Guillotine.Check(sheet));
    State.counters["pieces"] = n;
}
BENCHMARK(BM_GuillotineCheck)->Arg(50)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_SpaceOverlapArea(benchmark::State& State) {
    ResetProgramDefaults();
    RollingMode = false;
    TLcg partsRnd(7);
    const TPanels parts = MakeParts(partsRnd);
    TPacket sheet = MakeSheet(parts, 0);
    TLcg rnd(11);
    Fill(sheet, parts, rnd, 150);
    T2DStock probe = parts[0];
    probe.Position = {sheet.Length / 3, sheet.Width / 3};
    for (auto _ : State) benchmark::DoNotOptimize(sheet.SpaceOverlapArea(probe));
    State.counters["spaces"] = sheet.Spaces.Count();
}
BENCHMARK(BM_SpaceOverlapArea);

}  // namespace

BENCHMARK_MAIN();
