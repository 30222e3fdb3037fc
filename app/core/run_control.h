// A run made on a worker thread, in the order the window makes it:
//   1. GUI thread: TakeRunSnapshot, then StartRunOnGuiThread (dump files,
//      both generators seeded, the pages read into the shared lists);
//   2. worker: Window.RunAfterInput() (touches no page of the window);
//   3. GUI thread: FinishRun. A cancelled, refused or failed run puts back
//      the plan, lists and report of before the run, as if it had never
//      started.
// While a run lasts nothing on the GUI thread may read or change the plan or
// the shared lists.
#pragma once

#include <memory>

class TMainWindowCore;
struct TRunSnapshotData;

// The plan, the shared piece lists and the reports of the moment it is taken.
class TRunSnapshot {
  public:
    TRunSnapshot();
    ~TRunSnapshot();
    void Take(TMainWindowCore& Window);
    void Restore(TMainWindowCore& Window) const;

  private:
    std::unique_ptr<TRunSnapshotData> data_;
};

// Step 1 after the snapshot. False when the pages were refused: the worker is
// then not started and FinishRun shows the reason.
bool StartRunOnGuiThread(TMainWindowCore& Window);

// Step 3. With Cancelled the snapshot is restored and nothing is shown;
// otherwise the end of the run (OptimizeThreadDone), and when the run made
// no plan (refused, failed) the snapshot is restored after its message, with
// that run's LastErrorMessage kept. True when a new plan with layouts is in
// place.
bool FinishRun(TMainWindowCore& Window, bool Cancelled, const TRunSnapshot& Before);
