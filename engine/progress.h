// What the optimiser asks of the window that shows a run: step the progress
// bar, advance it to its end, repaint. The engine calls the installed sink
// (a no-op by default) and never depends on the window's type.
//
// A run can also be asked to stop: the optimiser looks at the cancel request
// between its steps (each sheet fill start, each step of a trial, the seed
// building) and ends the run; see TOptimize2d::Run for what it leaves.
#pragma once

#include <cstdint>

class TProgressSink {
  public:
    virtual ~TProgressSink() = default;
    // The progress bar advances by one step.
    virtual void StepIt() {}
    // The progress bar advances by its own maximum.
    virtual void StepByMax() {}
    // The window repaints itself.
    virtual void Refresh() {}
};

// The sink in use; a sink that does nothing until the window installs one.
TProgressSink& ProgressSink();
// Installs Sink (not owned; nullptr restores the no-op sink).
void SetProgressSink(TProgressSink* Sink);

// One progress step; when AllowRepaint, it is followed by a repaint about one
// time in ten, decided by the repaint generator (never by PubRandom, so
// repaints do not change the plan).
void ProgressStep(bool AllowRepaint = true);
// The progress bar advances by its maximum.
void ProgressAdvanceByMax();

// Seeds the repaint generator (the window seeds it with 479 before a run).
void SeedRepaintRandom(std::uint32_t Seed);
// Next number 0..N-1 of the repaint generator (N >= 1).
std::int32_t RepaintRandom(std::int32_t N);

// Asks the running optimisation to stop at its next step. Safe to call from
// any thread.
void RequestOptimizeCancel();
// Withdraws the request; the caller does this before starting a run.
void ClearOptimizeCancel();
bool OptimizeCancelRequested();

// Back to the start-up state: no-op sink, generator seeded with 479, no
// cancel request, the real clock.
void ResetProgressDefaults();
