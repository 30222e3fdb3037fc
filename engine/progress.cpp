#include "engine/progress.h"

#include <atomic>

#include "platform/clock.h"

namespace {
TProgressSink noOpSink;
TProgressSink* currentSink = &noOpSink;
std::uint32_t repaintSeed = 479;
std::atomic<bool> cancelRequested{false};
}  // namespace

TProgressSink& ProgressSink() {
    return *currentSink;
}

void SetProgressSink(TProgressSink* Sink) {
    currentSink = Sink ? Sink : &noOpSink;
}

void ProgressStep(bool AllowRepaint) {
    currentSink->StepIt();
    if (AllowRepaint && RepaintRandom(10) == 0) currentSink->Refresh();
}

void ProgressAdvanceByMax() {
    currentSink->StepByMax();
}

void SeedRepaintRandom(std::uint32_t Seed) {
    repaintSeed = Seed;
}

std::int32_t RepaintRandom(std::int32_t N) {
    if (N < 1) return 0;
    // A plain 32-bit linear congruential generator; the high bits scale to N.
    repaintSeed = repaintSeed * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(repaintSeed) * N) >> 32);
}

void RequestOptimizeCancel() {
    cancelRequested.store(true, std::memory_order_relaxed);
}
void ClearOptimizeCancel() {
    cancelRequested.store(false, std::memory_order_relaxed);
}
bool OptimizeCancelRequested() {
    return cancelRequested.load(std::memory_order_relaxed);
}

void ResetProgressDefaults() {
    currentSink = &noOpSink;
    repaintSeed = 479;
    ClearOptimizeCancel();
    platform::SetClockHook({});
}
