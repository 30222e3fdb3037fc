// The settings a run of the program makes before it starts the optimiser,
// at a given level, for engine tests that want the program's own plans.
#pragma once

#include <cstdint>

#include "engine/defaults.h"
#include "engine/pubstr.h"

namespace testsupport {

inline void ProgramRunSettings(std::int32_t Level, bool Guillotine, std::int32_t Blade) {
    ResetProgramDefaults();
    RollingMode = false;
    FastOptimize = false;
    OptimizeSpeed = Level;
    GuillotineMode = Guillotine;
    OptimizeTimeLimit = 120;
    KeepPlacements = true;
    CompareEqualLayouts = true;
    BladeWidth = Blade;
    PubRandSeed = kPubRandomStartSeed;
}

}  // namespace testsupport
