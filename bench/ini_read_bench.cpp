// Speed of reading an INI file with one large section, as start-up reads an
// option file: the file is parsed, then every key is looked up once. Time
// must grow in proportion to the number of keys (the reported complexity).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/inifile.h"

namespace {

std::string KeyName(std::int64_t i) {
    return "GRID_COL_" + std::to_string(i);
}

// A file of one section holding Count keys, in a scratch folder.
std::string SectionFile(std::int64_t count) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tessaly_ini_bench_" + std::to_string(::getpid()) + ".opt"))
                                 .string();
    std::ofstream out(path, std::ios::binary);
    out << "[OPTION]\r\n";
    for (std::int64_t i = 0; i < count; ++i) out << KeyName(i) << "=" << i % 977 << "\r\n";
    return path;
}

void BM_ReadLargeSection(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    const std::string path = SectionFile(count);
    for (auto _ : state) {
        const platform::TIniFile ini(path);
        std::int64_t sum = 0;
        for (std::int64_t i = 0; i < count; ++i) sum += ini.ReadInteger("OPTION", KeyName(i), 0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetComplexityN(count);
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_ReadLargeSection)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Arg(640000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
