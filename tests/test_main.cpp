// Test entry point shared by every test binary. Binaries that link the engine
// start each test from the program's defaults, so tests never see each
// other's settings.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef TESSALY_RESET_DEFAULTS
#include "engine/defaults.h"

namespace {
class ResetDefaults : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ResetProgramDefaults(); }
};
}  // namespace
#endif

int main(int argc, char** argv) {
    // Qt test binaries need a platform plugin even without a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TESSALY_RESET_DEFAULTS
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetDefaults);
#endif
    return RUN_ALL_TESTS();
}
