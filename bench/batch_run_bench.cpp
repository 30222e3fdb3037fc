// Benchmark of the whole batch run, as a workshop starts it:
//
//   batch_run_bench [KINDS ...] [--dir PATH] [--report] [--keep]
//
// For each number of part kinds (default 2000 and 10000) it writes a job in
// a folder of its own (under --dir, default the system's temporary folder):
// the sample's options (examples/sample), two materials, four sheet kinds and
// KINDS part kinds of two pieces each, then runs the batch job in a child
// process exactly as `tessaly -auto:yes -hide:yes` does (the same RunBatch
// that the program's main calls, in that folder). --report adds
// "-report:report.txt", which writes the text report and the cut lists too.
//
// Per job it prints the exit status, the layouts of the plan, the wall time,
// the CPU time (user + system), the peak memory (resident set) of the child,
// the time at which the optimiser made its last progress step (the end of
// the optimiser, within one filled sheet) and the share of the run after it:
// reading the plan into the reports, naming offcuts, writing files.
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/command_line.h"
#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "bench/batch_job.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"

namespace {

namespace fs = std::filesystem;

using batch_job::WriteJob;

// What the child leaves for the parent, in memory both share.
struct Shared {
    double LastStep;  // seconds from the start to the last progress step
    std::int32_t Layouts;
};

// Notes the time of every progress step of the optimiser.
class TStepClock : public TProgressSink {
  public:
    TStepClock(Shared* S, std::chrono::steady_clock::time_point Start) : s_(S), start_(Start) {}
    void StepIt() override { Note(); }
    void Refresh() override { Note(); }

  private:
    Shared* s_;
    std::chrono::steady_clock::time_point start_;
    void Note() {
        s_->LastStep =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
};

int RunJob(const fs::path& Dir, int Kinds, bool Report) {
    auto* shared = static_cast<Shared*>(
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (shared == MAP_FAILED) return 2;
    *shared = Shared{0, 0};
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(Dir.c_str()) != 0) _exit(120);
        // What the run writes to standard error goes to a file of the job folder.
        if (!freopen("run.log", "w", stderr)) _exit(121);
        AppDir = Dir.string();
        std::vector<std::string> args = {"tessaly", "-auto:yes", "-hide:yes"};
        if (Report) args.push_back("-report:report.txt");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const TCommandLine commandLine(static_cast<int>(args.size()), argv.data());
        static TMainWindowCore window;
        TStepClock clock(shared, start);
        SetProgressSink(&clock);
        const int status = RunBatch(window, commandLine);
        shared->Layouts = Optimizer.Best.Count();
        std::fflush(nullptr);
        _exit(status);
    }
    if (pid < 0) return 2;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%7d %5d %8d %9.2f %9.2f %9.0f %10.2f %8.2f%%\n", Kinds, exitCode, shared->Layouts,
                wall, cpu, static_cast<double>(usage.ru_maxrss) / 1024.0, shared->LastStep,
                wall > 0 ? 100.0 * (wall - shared->LastStep) / wall : 0.0);
    std::fflush(stdout);
    munmap(shared, sizeof(Shared));
    return exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> kinds;
    fs::path dir = fs::temp_directory_path() / "tessaly_batch_bench";
    bool report = false, keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (a == "--report")
            report = true;
        else if (a == "--keep")
            keep = true;
        else if (std::atoi(a.c_str()) > 0 && std::atoi(a.c_str()) <= 10000)
            kinds.push_back(std::atoi(a.c_str()));
        else {
            std::fprintf(stderr,
                         "usage: %s [KINDS (1..10000) ...] [--dir PATH] [--report] [--keep]\n",
                         argv[0]);
            return 2;
        }
    }
    if (kinds.empty()) kinds = {2000, 10000};
    std::printf("%7s %5s %8s %9s %9s %9s %10s %9s\n", "kinds", "exit", "layouts", "wall s", "cpu s",
                "peak MB", "optim. s", "after");
    int result = 0;
    for (const int k : kinds) {
        const fs::path job = dir / ("kinds_" + std::to_string(k));
        WriteJob(job, k);
        if (RunJob(job, k, report) != 0) result = 1;
        if (!keep) {
            std::error_code ec;
            fs::remove_all(job, ec);
        }
    }
    return result;
}
