// Benchmark of the optimiser: plan quality within the time limits.
//
//   optimize_bench instances [--level N] [--limit S] [--jobs J] [--class C]
//                            [--size N] [--oriented] [--guillotine] [--rolling]
//                            [--dir PATH] [--quiet] [--digests FILE]
//     runs the standard two-dimensional bin packing instances (one sheet kind,
//     one part kind per distinct item size) and prints per instance the sheets
//     used, the lower bound L0, the best-known value and the time, then a
//     summary per class. The instances are found in the folder of --dir, else
//     of the environment variable TESSALY_BENCH_DIR, else in shared/bench of
//     the nearest folder above the source tree that holds one. --digests
//     writes one line per instance: its key and the digest of its plan, to
//     compare the plans of two builds.
//   optimize_bench workshop [--level N] [--limit S] [--guillotine] [--rolling]
//                           [--only NAME]
//     builds workshop jobs in code and prints per job the time of each phase
//     (above Level 0 first the run of Level 0 that the run makes too), the
//     FillPanel calls, candidate layouts, trials, sheets used, utilisation,
//     whether a time limit was reached and whether Level 0's plan was kept.
//   optimize_bench kinds N [--level N] [--guillotine]
//     one job of N part kinds (two pieces each) on 2440 x 1220 sheets, for
//     the memory that many part kinds take.
//
// Every run uses the settings a run of the program uses: FastOptimize off
// (the program switches it off after its optimiser exists), the time limit
// of 120 s per phase, the generator seeded with 479. The peak memory (resident
// set) of the worker processes is printed at the end.
//
// Instances run in separate processes, one each (the engine's settings are
// program-wide), each seeded with 479 like a run of the main window.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/plan_digest.h"
#include "engine/defaults.h"
#include "engine/guillotine.h"
#include "engine/optimize2d.h"
#include "engine/pubstr.h"

namespace {

using plan_digest::JobRandom;
using plan_digest::PlanDigest;
using plan_digest::SheetsOf;

struct Options {
    std::int32_t Level = 0;
    std::int64_t Limit = 120;
    int Jobs = 1;
    int OnlyClass = 0;
    int OnlySize = 0;
    bool Oriented = false;
    bool Guillotine = false;
    bool Rolling = false;
    bool Quiet = false;
    std::string Dir;
    std::string Only;
    std::string Digests;
};

// The instances folder: shared/bench in the source folder or the nearest
// folder above it that holds one.
std::string FindInstances() {
    if (const char* env = std::getenv("TESSALY_BENCH_DIR"); env != nullptr && *env != '\0')
        return env;
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::path d = fs::absolute(TESSALY_SOURCE_DIR, ec);; d = d.parent_path()) {
        if (fs::is_directory(d / "shared" / "bench", ec)) return (d / "shared" / "bench").string();
        if (d == d.parent_path()) break;
    }
    return "";
}

// The settings of a run of the program. Called after the optimiser has been
// made: its constructor switches FastOptimize on, as at the program's start.
void ApplySettings(const Options& O) {
    ResetProgramDefaults();
    OptimizeSpeed = O.Level;
    OptimizeTimeLimit = O.Limit;
    GuillotineMode = O.Guillotine;
    RollingMode = O.Rolling;
    FastOptimize = false;
    KeepPlacements = true;
    CompareEqualLayouts = true;
    OptimizeStepCount = 0;
    PubRandSeed = kPubRandomStartSeed;
}

// Peak resident set of this process and of the children waited for, in MB.
double PeakMegabytes(int Who) {
    rusage u{};
    getrusage(Who, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// ---- checking a plan --------------------------------------------------------------

// Empty when the plan holds every required piece, no piece above its
// maximum, no overlap, nothing outside its sheet, no more sheets than stock.
std::string PlanFault(const TOptimize2d& Opt) {
    std::map<std::string, std::int64_t> pieces, sheets;
    for (const TPacket& layout : Opt.Best.Packets) {
        sheets[layout.Label] += layout.Quantity;
        const auto& items = layout.Placements.Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const TRect r = items[i].BoundsRect();
            if (r.Left < 0 || r.Top < 0 || r.Right > layout.Length || r.Bottom > layout.Width)
                return "piece outside its sheet";
            for (std::size_t k = 0; k < i; ++k) {
                const TRect o = items[k].BoundsRect();
                if (r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom)
                    return "pieces overlap";
            }
            pieces[items[i].Label] += layout.Quantity;
        }
        if (GuillotineMode && !Guillotine.Check(layout)) return "layout not guillotine-cuttable";
    }
    for (int i = 0; i < Opt.Parts.Count(); ++i) {
        const std::int64_t n = pieces[Opt.Parts[i].Label];
        if (n < Opt.WorkParts[i].Quantity) return "missing pieces of " + Opt.Parts[i].Label;
        if (n > Opt.Parts[i].Quantity) return "too many pieces of " + Opt.Parts[i].Label;
    }
    for (const T2DStock& s : Opt.Panels)
        if (sheets[s.Label] > s.Quantity) return "more sheets than stock";
    return "";
}


double Seconds(std::chrono::steady_clock::time_point From) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - From).count();
}

// ---- standard instances -------------------------------------------------------------

struct Instance {
    std::string Key;  // <set>/<file>_<N>_<relative number>
    int Class = 0;
    int Items = 0;
    std::int32_t BinH = 0, BinW = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> Sizes;  // H, W
};

std::vector<Instance> ReadInstances(const Options& O) {
    std::vector<Instance> all;
    for (int c = 1; c <= 10; ++c) {
        const std::string file =
            std::string("Class_") + (c < 10 ? "0" : "") + std::to_string(c) + ".2bp";
        const std::string set = c <= 6 ? "berkey1987" : "martello1998";
        std::ifstream in(O.Dir + "/" + set + "/" + file);
        if (!in) {
            std::fprintf(stderr, "cannot read %s/%s/%s\n", O.Dir.c_str(), set.c_str(),
                         file.c_str());
            std::exit(2);
        }
        std::string line;
        auto numbers = [&](int Count) {
            std::vector<long> v;
            while (static_cast<int>(v.size()) < Count && std::getline(in, line)) {
                std::istringstream ls(line);
                long x;
                std::vector<long> row;
                while (ls >> x) row.push_back(x);
                if (row.empty()) continue;
                for (long r : row)
                    if (static_cast<int>(v.size()) < Count) v.push_back(r);
                break;
            }
            return v;
        };
        for (;;) {
            std::vector<long> cls = numbers(1);
            if (cls.empty()) break;
            Instance inst;
            inst.Class = static_cast<int>(cls[0]);
            inst.Items = static_cast<int>(numbers(1).at(0));
            const std::vector<long> rel = numbers(2);
            const std::vector<long> bin = numbers(2);
            inst.BinH = static_cast<std::int32_t>(bin.at(0));
            inst.BinW = static_cast<std::int32_t>(bin.at(1));
            for (int i = 0; i < inst.Items; ++i) {
                const std::vector<long> hw = numbers(2);
                inst.Sizes.emplace_back(static_cast<std::int32_t>(hw.at(0)),
                                        static_cast<std::int32_t>(hw.at(1)));
            }
            inst.Key = set + "/" + file + "_" + std::to_string(inst.Items) + "_" +
                       std::to_string(rel.at(0));
            if ((O.OnlyClass == 0 || O.OnlyClass == c) &&
                (O.OnlySize == 0 || O.OnlySize == inst.Items))
                all.push_back(std::move(inst));
        }
    }
    return all;
}

std::map<std::string, int> ReadBestKnown(const Options& O) {
    const std::string name =
        O.Guillotine ? (O.Oriented ? "3nho" : "3nhr") : (O.Oriented ? "oriented" : "rotation");
    std::ifstream in(O.Dir + "/best-known-" + name + ".csv");
    std::map<std::string, int> best;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto comma = line.rfind(',');
        if (comma == std::string::npos) continue;
        best[line.substr(0, comma)] = std::atoi(line.c_str() + comma + 1);
    }
    return best;
}

struct InstanceResult {
    long Sheets = -1;  // -1: no plan
    long L0 = 0;
    double Time = 0;
    bool LimitReached = false;
    double Quick = 0, Search = 0;  // seconds of the quick passes and of the search
    std::uint32_t Digest = 0;
    char Fault[96] = "";
};

// Prefix + number (built by appending, which GCC 12 checks without false alarms).
std::string Name(const char* Prefix, int Number) {
    std::string s = Prefix;
    s += std::to_string(Number);
    return s;
}

void CopyText(char* Dest, std::size_t Size, const std::string& Text) {
    const std::size_t n = std::min(Size - 1, Text.size());
    std::memcpy(Dest, Text.data(), n);
    Dest[n] = '\0';
}

InstanceResult RunInstance(const Instance& Inst, const Options& O) {
    const std::int32_t scale = 1000;
    TOptimize2d opt;
    ApplySettings(O);
    std::string err;
    opt.AddPanel("BIN", "", "", "", Inst.BinW * scale, Inst.BinH * scale,
                 static_cast<std::int32_t>(Inst.Sizes.size()), 0, 1, srcSheet, err);
    // One part kind per distinct size (turned sizes are one kind when turning is allowed).
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> kinds;
    std::vector<std::pair<std::int32_t, std::int32_t>> order;
    double area = 0;
    for (auto [h, w] : Inst.Sizes) {
        std::pair<std::int32_t, std::int32_t> key{w, h};  // length along X = W
        if (!O.Oriented && key.first < key.second) std::swap(key.first, key.second);
        if (kinds[key]++ == 0) order.push_back(key);
        area += static_cast<double>(h) * w;
    }
    int k = 0;
    for (const auto& key : order) {
        const std::int32_t n = kinds[key];
        opt.AddPart(Name("I", k++), "", "", "", key.first * scale, key.second * scale, !O.Oriented,
                    n, n, skRectangle, nullptr, err);
    }
    InstanceResult res;
    res.L0 = static_cast<long>(std::ceil(area / (static_cast<double>(Inst.BinH) * Inst.BinW)));
    const auto start = std::chrono::steady_clock::now();
    opt.Run(err);
    res.Time = Seconds(start);
    res.LimitReached = opt.Stats.TimeLimitReached;
    res.Quick = opt.Stats.QuickMs / 1000.0;
    res.Search = (opt.Stats.SearchMs[0] + opt.Stats.SearchMs[1] + opt.Stats.SearchMs[2]) / 1000.0;
    if (err.empty()) {
        res.Sheets = static_cast<long>(SheetsOf(opt.Best));
        res.Digest = PlanDigest(opt.Best);
        const std::string fault = PlanFault(opt);
        CopyText(res.Fault, sizeof res.Fault, fault);
    } else {
        CopyText(res.Fault, sizeof res.Fault, err);
    }
    return res;
}

int RunInstances(const Options& O) {
    const std::vector<Instance> instances = ReadInstances(O);
    const std::map<std::string, int> best = ReadBestKnown(O);
    std::vector<InstanceResult> results(instances.size());

    // Workers take every J-th instance and send their results through a pipe.
    const int jobs = std::max(1, std::min<int>(O.Jobs, static_cast<int>(instances.size())));
    std::vector<int> fds(static_cast<std::size_t>(jobs));
    std::vector<pid_t> pids(static_cast<std::size_t>(jobs));
    for (int w = 0; w < jobs; ++w) {
        int p[2];
        if (pipe(p) != 0) return 2;
        const pid_t pid = fork();
        if (pid == 0) {
            close(p[0]);
            // Each instance in a process of its own, as one run of the program.
            for (std::size_t i = static_cast<std::size_t>(w); i < instances.size();
                 i += static_cast<std::size_t>(jobs)) {
                const pid_t one = fork();
                if (one == 0) {
                    InstanceResult r = RunInstance(instances[i], O);
                    const std::size_t index = i;
                    if (write(p[1], &index, sizeof index) != sizeof index ||
                        write(p[1], &r, sizeof r) != sizeof r)
                        _exit(3);
                    _exit(0);
                }
                if (one < 0) _exit(3);
                waitpid(one, nullptr, 0);
            }
            close(p[1]);
            _exit(0);
        }
        close(p[1]);
        fds[static_cast<std::size_t>(w)] = p[0];
        pids[static_cast<std::size_t>(w)] = pid;
    }
    for (int w = 0; w < jobs; ++w) {
        std::size_t index;
        InstanceResult r;
        while (read(fds[static_cast<std::size_t>(w)], &index, sizeof index) == sizeof index &&
               read(fds[static_cast<std::size_t>(w)], &r, sizeof r) == sizeof r)
            results[index] = r;
        close(fds[static_cast<std::size_t>(w)]);
        waitpid(pids[static_cast<std::size_t>(w)], nullptr, 0);
    }
    if (!O.Digests.empty()) {
        std::ofstream out(O.Digests);
        for (std::size_t i = 0; i < instances.size(); ++i) {
            out << instances[i].Key << ' ' << results[i].Sheets << ' ' << std::hex
                << std::setw(8) << std::setfill('0') << results[i].Digest << std::dec << '\n';
        }
    }

    if (!O.Quiet)
        std::printf("%-36s %6s %4s %4s %8s %8s %8s %8s %s\n", "instance", "sheets", "L0", "best",
                    "time s", "quick s", "search s", "digest", "");
    struct ClassSum {
        long Count = 0, Sheets = 0, L0 = 0, Best = 0, AtBest = 0, Failed = 0, Limit = 0;
        double Time = 0, MaxTime = 0;
    };
    std::map<int, ClassSum> sums;
    for (std::size_t i = 0; i < instances.size(); ++i) {
        const Instance& inst = instances[i];
        const InstanceResult& r = results[i];
        const auto b = best.find(inst.Key);
        const int bk = b == best.end() ? -1 : b->second;
        if (!O.Quiet)
            std::printf("%-36s %6ld %4ld %4d %8.3f %8.3f %8.3f %08x %s%s\n", inst.Key.c_str(),
                        r.Sheets, r.L0, bk, r.Time, r.Quick, r.Search, r.Digest,
                        r.LimitReached ? "limit " : "", r.Fault);
        ClassSum& s = sums[inst.Class];
        ++s.Count;
        s.L0 += r.L0;
        s.Best += bk;
        s.Time += r.Time;
        s.MaxTime = std::max(s.MaxTime, r.Time);
        if (r.Sheets < 0 || r.Fault[0] != '\0') {
            ++s.Failed;
            continue;
        }
        s.Sheets += r.Sheets;
        if (r.Sheets <= bk) ++s.AtBest;
        if (r.LimitReached) ++s.Limit;
    }
    std::printf("\nLevel %d%s%s, limit %lld s per phase\n", O.Level,
                O.Oriented ? ", oriented" : ", turning allowed", O.Guillotine ? ", guillotine" : "",
                static_cast<long long>(O.Limit));
    std::printf("%-6s %5s %8s %8s %8s %7s %7s %6s %6s %9s %9s\n", "class", "inst", "sheets", "L0",
                "best", "gap%", "atBest", "fail", "limit", "avg s", "max s");
    ClassSum total;
    for (const auto& [c, s] : sums) {
        std::printf("%-6d %5ld %8ld %8ld %8ld %7.2f %7ld %6ld %6ld %9.3f %9.3f\n", c, s.Count,
                    s.Sheets, s.L0, s.Best, 100.0 * (s.Sheets - s.Best) / std::max(1L, s.Best),
                    s.AtBest, s.Failed, s.Limit, s.Time / s.Count, s.MaxTime);
        total.Count += s.Count;
        total.Sheets += s.Sheets;
        total.L0 += s.L0;
        total.Best += s.Best;
        total.AtBest += s.AtBest;
        total.Failed += s.Failed;
        total.Limit += s.Limit;
        total.Time += s.Time;
        total.MaxTime = std::max(total.MaxTime, s.MaxTime);
    }
    std::printf("%-6s %5ld %8ld %8ld %8ld %7.2f %7ld %6ld %6ld %9.3f %9.3f\n", "all", total.Count,
                total.Sheets, total.L0, total.Best,
                100.0 * (total.Sheets - total.Best) / std::max(1L, total.Best), total.AtBest,
                total.Failed, total.Limit, total.Time / std::max(1L, total.Count), total.MaxTime);
    std::vector<double> times;
    std::uint32_t all = 2166136261u;
    for (const InstanceResult& r : results) {
        times.push_back(r.Time);
        all = (all ^ r.Digest) * 16777619u;
    }
    std::sort(times.begin(), times.end());
    const double median = times.empty() ? 0.0
                                        : (times[(times.size() - 1) / 2] + times[times.size() / 2]) / 2;
    std::printf("median %.3f s, peak memory of one worker %.0f MB, digest of all plans %08x\n",
                median, PeakMegabytes(RUSAGE_CHILDREN), all);
    return total.Failed == 0 ? 0 : 1;
}

// ---- workshop jobs ----------------------------------------------------------------------

struct SheetKind {
    std::string Label;
    std::int32_t Length, Width, Quantity, Priority, Cost;
};
struct PartKind {
    std::string Label;
    std::int32_t Length, Width, Required, Maximum;
    bool CanRotate;
};
struct Job {
    std::string Name;
    std::vector<SheetKind> Sheets;
    std::vector<PartKind> Parts;
    std::int32_t Blade = 0;
    bool Cost = false;
};


std::vector<Job> WorkshopJobs() {
    std::vector<Job> jobs;
    {
        Job j{"10 kinds, 1 sheet type", {{"2440x1220", 2440000, 1220000, 50, 0, 1}}, {}, 3000};
        JobRandom r{10};
        for (int i = 0; i < 10; ++i) {
            const std::int32_t q = r.Next(2, 8);
            j.Parts.push_back(
                {Name("P", i), r.Next(200, 900) * 1000, r.Next(150, 600) * 1000, q, q, i % 4 != 0});
        }
        jobs.push_back(j);
    }
    {
        Job j{"50 kinds x1-10, 3 sheet types, cost+priority",
              {{"2800x2070", 2800000, 2070000, 6, 1, 120},
               {"2440x1220", 2440000, 1220000, 20, 0, 45},
               {"1830x1220", 1830000, 1220000, 10, 2, 35}},
              {},
              4000,
              true};
        JobRandom r{50};
        for (int i = 0; i < 50; ++i) {
            const std::int32_t q = r.Next(1, 10);
            j.Parts.push_back({Name("P", i), r.Next(100, 1200) * 1000, r.Next(80, 700) * 1000, q,
                               q + (i % 5 == 0 ? 4 : 0), i % 3 != 0});
        }
        jobs.push_back(j);
    }
    {
        Job j{"200 kinds",
              {{"2440x1220", 2440000, 1220000, 200, 0, 1},
               {"3050x1525", 3050000, 1525000, 100, 0, 1}},
              {},
              3000};
        JobRandom r{200};
        for (int i = 0; i < 200; ++i) {
            const std::int32_t q = r.Next(1, 6);
            j.Parts.push_back(
                {Name("P", i), r.Next(60, 1100) * 1000, r.Next(40, 600) * 1000, q, q, i % 5 != 0});
        }
        jobs.push_back(j);
    }
    return jobs;
}

// Many part kinds of two pieces each, small against the sheet.
Job KindsJob(int Kinds) {
    Job j{Name("kinds ", Kinds), {{"2440x1220", 2440000, 1220000, Kinds, 0, 1}}, {}, 4000};
    JobRandom r{static_cast<std::uint64_t>(Kinds)};
    for (int i = 0; i < Kinds; ++i)
        j.Parts.push_back(
            {Name("P", i), r.Next(60, 700) * 1000, r.Next(40, 500) * 1000, 2, 2, i % 3 != 0});
    return j;
}

int RunWorkshop(const Options& O, const std::vector<Job>& Jobs) {
    std::printf("%-46s %5s %3s %8s %8s %8s %8s %8s %8s %7s %7s %6s %6s %7s %6s %5s\n", "job",
                "level", "gm", "level0 s", "prep s", "quick s", "mode2 s", "mode1 s", "mode0 s",
                "fills", "cands", "trials", "sheets", "util%", "limit", "ok");
    for (const Job& job : Jobs) {
        if (!O.Only.empty() && job.Name.find(O.Only) == std::string::npos) continue;
        TOptimize2d opt;
        ApplySettings(O);
        BladeWidth = job.Blade;
        CostOptimize = job.Cost;
        std::string err;
        for (const SheetKind& s : job.Sheets)
            opt.AddPanel(s.Label, "", "", "", s.Length, s.Width, s.Quantity, s.Priority, s.Cost,
                         srcSheet, err);
        for (const PartKind& p : job.Parts)
            opt.AddPart(p.Label, "", "", "", p.Length, p.Width, p.CanRotate, p.Maximum, p.Required,
                        skRectangle, nullptr, err);
        const auto start = std::chrono::steady_clock::now();
        opt.Run(err);
        const double total = Seconds(start);
        const std::string fault = err.empty() ? PlanFault(opt) : err.substr(0, 40);
        const TOptimizeStats& st = opt.Stats;
        std::printf(
            "%-46s %5d %3s %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %7d %7d %6d %6lld %7.2f %6s %5s  "
            "(total %.2f s, plan %08x%s)\n",
            job.Name.c_str(), O.Level, O.Guillotine ? "on" : "off", st.LowestLevelMs / 1000.0,
            st.PrepareMs / 1000.0,
            st.QuickMs / 1000.0, st.SearchMs[2] / 1000.0, st.SearchMs[1] / 1000.0,
            st.SearchMs[0] / 1000.0, OptimizeStepCount, opt.Candidates.Count(), st.Trials,
            static_cast<long long>(SheetsOf(opt.Best)), opt.Best.Utilization(),
            st.TimeLimitReached ? "yes" : "no", fault.empty() ? "yes" : fault.c_str(), total,
            PlanDigest(opt.Best), st.LowestLevelKept ? ", Level 0's" : "");
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s instances|workshop [options]\n", argv[0]);
        return 2;
    }
    Options o;
    for (int i = std::string(argv[1]) == "kinds" ? 3 : 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--level")
            o.Level = std::atoi(value().c_str());
        else if (a == "--limit")
            o.Limit = std::atoll(value().c_str());
        else if (a == "--jobs")
            o.Jobs = std::atoi(value().c_str());
        else if (a == "--class")
            o.OnlyClass = std::atoi(value().c_str());
        else if (a == "--size")
            o.OnlySize = std::atoi(value().c_str());
        else if (a == "--dir")
            o.Dir = value();
        else if (a == "--digests")
            o.Digests = value();
        else if (a == "--only")
            o.Only = value();
        else if (a == "--oriented")
            o.Oriented = true;
        else if (a == "--guillotine")
            o.Guillotine = true;
        else if (a == "--rolling")
            o.Rolling = true;
        else if (a == "--quiet")
            o.Quiet = true;
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    const std::string what = argv[1];
    if (what == "instances") {
        if (o.Dir.empty()) o.Dir = FindInstances();
        if (o.Dir.empty()) {
            std::fprintf(stderr, "no shared/bench above %s: give --dir or TESSALY_BENCH_DIR\n",
                         TESSALY_SOURCE_DIR);
            return 2;
        }
        return RunInstances(o);
    }
    if (what == "workshop") return RunWorkshop(o, WorkshopJobs());
    if (what == "kinds" && argc >= 3) {
        const int kinds = std::atoi(argv[2]);
        if (kinds < 1) return 2;
        const int status = RunWorkshop(o, {KindsJob(kinds)});
        std::printf("peak memory %.0f MB\n", PeakMegabytes(RUSAGE_SELF));
        return status;
    }
    std::fprintf(stderr, "unknown command %s\n", what.c_str());
    return 2;
}
