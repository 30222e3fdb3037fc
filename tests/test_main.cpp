// Test entry point shared by every test binary. Binaries that link the engine
// start each test from the program's defaults, so tests never see each
// other's settings.
#include <gtest/gtest.h>

#include <cstdlib>

#if defined(TESSALY_RESET_APP_DEFAULTS)
#include "app/core/app_defaults.h"
#define TESSALY_RESET_DEFAULTS 1
#define TESSALY_RESET_CALL ResetAppDefaults()
#elif defined(TESSALY_RESET_DEFAULTS)
#include "engine/defaults.h"
#define TESSALY_RESET_CALL ResetProgramDefaults()
#endif

#ifdef TESSALY_QT_APP
#include <QApplication>

#include "support/modal_watch.h"
#endif

#ifdef TESSALY_RESET_DEFAULTS
namespace {
class ResetDefaults : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { TESSALY_RESET_CALL; }
};
}  // namespace
#endif

int main(int argc, char** argv) {
    // Qt test binaries need a platform plugin even without a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TESSALY_QT_APP
    QApplication app(argc, argv);
    testsupport::InstallModalWatch();
#endif
#ifdef TESSALY_RESET_DEFAULTS
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetDefaults);
#endif
    return RUN_ALL_TESTS();
}
