// The generated workshop job of the whole-program benchmarks: the sample's
// options (examples/sample), two materials, two sheet kinds per material and
// a number of part kinds of the same number of pieces each, written as the
// default files of a job folder. The parts depend only on the number of
// kinds, never on the optimiser's random numbers. Needs TESSALY_SOURCE_DIR.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "bench/plan_digest.h"

namespace batch_job {

inline const char* const kMaterials[] = {"Plywood 18", "MDF 16"};

// Writes the job of Kinds part kinds of Pieces pieces each (quantity to cut
// and maximum alike) into Dir. Level >= 0 sets the optimisation level of the
// option file; -1 keeps the sample's.
inline void WriteJob(const std::filesystem::path& Dir, int Kinds, int Pieces = 2, int Level = -1) {
    namespace fs = std::filesystem;
    fs::create_directories(Dir);
    const fs::path sample = fs::path(TESSALY_SOURCE_DIR) / "examples" / "sample";
    for (const char* name : {"default.opt", "default.edg"})
        fs::copy_file(sample / name, Dir / name, fs::copy_options::overwrite_existing);
    for (const char* name : {"default.apt", "default_offcut.rck", "default_part.prk"}) {
        std::error_code ec;
        fs::remove(Dir / name, ec);
    }
    if (Level >= 0) {
        std::ifstream in(Dir / "default.opt");
        std::ostringstream out;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("TRACK_OPTIMIZE_SPEED=", 0) == 0)
                line = "TRACK_OPTIMIZE_SPEED=" + std::to_string(Level);
            out << line << '\n';
        }
        in.close();
        std::ofstream(Dir / "default.opt") << out.str();
    }
    {
        std::ofstream typ(Dir / "default.typ");
        typ << "[HEAD]\nNUMBER=2\n\n";
        for (int t = 0; t < 2; ++t)
            typ << "[TYPE" << t << "]\nSTRING=" << kMaterials[t] << "\nCHECK=1\n\n";
    }
    {
        // Two sheet kinds per material, enough of each for every part.
        struct Sheet {
            const char* Label;
            int Material, Length, Width, Cost, Priority;
        };
        const Sheet sheets[] = {{"PLY-2440", 0, 2440, 1220, 54, 0},
                                {"PLY-3050", 0, 3050, 1525, 80, 1},
                                {"MDF-2800", 1, 2800, 2070, 38, 0},
                                {"MDF-2440", 1, 2440, 1220, 30, 1}};
        std::ofstream sht(Dir / "default.sht");
        const std::int64_t quantity = std::int64_t{Kinds} * Pieces / 2;
        int n = 1;
        for (const Sheet& s : sheets)
            sht << "[SHEET" << n++ << "]\nLABEL=" << s.Label << "\nTYPE=" << kMaterials[s.Material]
                << "\nLENGTH=" << s.Length << "\nWIDTH=" << s.Width << "\nQTY=" << quantity
                << "\nCOST=" << s.Cost << "\nPRIORITY=" << s.Priority << "\nCOMMENT=\n\n";
    }
    std::ofstream prt(Dir / "default.prt");
    plan_digest::JobRandom r{static_cast<std::uint64_t>(Kinds)};
    for (int i = 0; i < Kinds; ++i) {
        const std::int32_t length = r.Next(60, 700);
        const std::int32_t width = r.Next(40, 500);
        prt << "[PART" << i + 1 << "]\nLABEL=P" << i << "\nTYPE=" << kMaterials[i % 2]
            << "\nLENGTH=" << length << "\nWIDTH=" << width << "\nQTY=" << Pieces
            << "\nMAXQTY=" << Pieces << "\nROTATE=" << (i % 3 != 0 ? "R" : "N")
            << "\nSHAPE=R\nBGTYPE=\nCOMMENT=\n\n";
    }
}

}  // namespace batch_job
