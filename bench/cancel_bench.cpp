// Benchmark of the window's Cancel: how long a run goes on after the user
// asks it to stop.
//
//   cancel_bench KINDS PIECES LEVEL SECONDS... [--dir PATH] [--keep]
//
// Writes the generated workshop job of bench/batch_job.h (KINDS part kinds of
// PIECES pieces each, the optimisation level LEVEL) and, for each SECONDS,
// makes the window's run in a child process as the window makes it: the
// pages read on the main thread (StartRunOnGuiThread), the run on a worker
// thread (RunAfterInput). SECONDS after the worker started, the main thread
// asks for the cancel as the Cancel command does, waits for the worker to end
// and puts the plan of before back (FinishRun). Per run it prints the time
// from the request to the worker's end (what the user waits for, under
// "Cancelling...") and the time FinishRun takes on the main thread. A run
// that ends before its cancel is reported as such.
//
// For example: `cancel_bench 10000 2 0 2 10 30 60 90`,
// `cancel_bench 2000 2 0 2 10`, `cancel_bench 200 20 20 5 30 120`.
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/main_window.h"
#include "app/core/run_control.h"
#include "app/core/startup.h"
#include "bench/batch_job.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration D) {
    return std::chrono::duration<double>(D).count();
}

// What the child leaves for the parent, in memory both share.
struct Shared {
    int Status;            // 0 cancelled, 1 ended before the cancel, 2 failed
    double Request;        // seconds from the worker's start to the request
    double Latency;        // seconds from the request to the worker's end
    double Finish;         // seconds of FinishRun
    std::int32_t Layouts;  // layouts after FinishRun (the plan of before)
};

void Child(const fs::path& Dir, double CancelAfter, Shared* Out) {
    if (chdir(Dir.c_str()) != 0) return;
    if (!freopen("run.log", "w", stderr)) return;
    AppDir = Dir.string();
    static TMainWindowCore window;
    if (!LoadStartupFiles(window)) return;

    TRunSnapshot before;
    before.Take(window);
    if (!StartRunOnGuiThread(window)) return;
    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
    Clock::time_point end;
    const Clock::time_point start = Clock::now();
    std::thread worker([&] {
        window.RunAfterInput();
        std::lock_guard<std::mutex> lock(m);
        end = Clock::now();
        ended = true;
        cv.notify_all();
    });
    Clock::time_point request;
    {
        std::unique_lock<std::mutex> lock(m);
        const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(CancelAfter));
        if (!cv.wait_until(lock, deadline, [&] { return ended; })) {
            request = Clock::now();
            RequestOptimizeCancel();
        }
    }
    worker.join();
    const bool endedFirst = request == Clock::time_point{};
    const Clock::time_point finishStart = Clock::now();
    FinishRun(window, !endedFirst, before);
    Out->Finish = Seconds(Clock::now() - finishStart);
    Out->Layouts = Optimizer.Best.Count();
    Out->Request = endedFirst ? Seconds(end - start) : Seconds(request - start);
    Out->Latency = endedFirst ? 0.0 : Seconds(end - request);
    Out->Status = endedFirst ? 1 : 0;
}

int RunOnce(const fs::path& Dir, double CancelAfter) {
    auto* shared = static_cast<Shared*>(
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (shared == MAP_FAILED) return 2;
    *shared = Shared{2, 0, 0, 0, 0};
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        Child(Dir, CancelAfter, shared);
        std::fflush(nullptr);
        _exit(0);
    }
    if (pid < 0) return 2;
    int status = 0;
    waitpid(pid, &status, 0);
    const Shared s = *shared;
    munmap(shared, sizeof(Shared));
    if (s.Status == 2) {
        std::printf("%9.0f  failed (see run.log of the job)\n", CancelAfter);
        return 1;
    }
    if (s.Status == 1) {
        std::printf("%9.0f  the run ended after %.2f s, before the cancel\n", CancelAfter,
                    s.Request);
        return 0;
    }
    std::printf("%9.0f %10.2f %10.3f %10.3f %8d\n", CancelAfter, s.Request, s.Latency, s.Finish,
                s.Layouts);
    std::fflush(stdout);
    return s.Latency < 1.0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<double> times;
    std::vector<int> numbers;
    fs::path dir = fs::temp_directory_path() / "tessaly_cancel_bench";
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (a == "--keep")
            keep = true;
        else if (numbers.size() < 3 && std::atoi(a.c_str()) >= 0 && !a.empty() &&
                 a.find_first_not_of("0123456789") == std::string::npos)
            numbers.push_back(std::atoi(a.c_str()));
        else if (numbers.size() == 3 && std::atof(a.c_str()) > 0)
            times.push_back(std::atof(a.c_str()));
        else
            numbers.clear(), times.clear(), i = argc;
    }
    if (numbers.size() < 3 || times.empty() || numbers[0] < 1 || numbers[0] > 10000 ||
        numbers[1] < 1 || numbers[2] > 20) {
        std::fprintf(stderr,
                     "usage: %s KINDS (1..10000) PIECES LEVEL (0..20) SECONDS... [--dir PATH] "
                     "[--keep]\n",
                     argv[0]);
        return 2;
    }
    const int kinds = numbers[0], pieces = numbers[1], level = numbers[2];
    const fs::path job = dir / ("kinds_" + std::to_string(kinds) + "x" + std::to_string(pieces) +
                                "_level_" + std::to_string(level));
    batch_job::WriteJob(job, kinds, pieces, level);
    std::printf("%d kinds x %d pieces, level %d\n", kinds, pieces, level);
    std::printf("%9s %10s %10s %10s %8s\n", "cancel s", "request s", "latency s", "finish s",
                "layouts");
    int result = 0;
    for (const double t : times)
        if (RunOnce(job, t) != 0) result = 1;
    if (!keep) {
        std::error_code ec;
        fs::remove_all(job, ec);
    }
    return result;
}
