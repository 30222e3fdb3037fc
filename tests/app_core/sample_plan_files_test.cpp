// The G-code and DXF files of every layout of the sample job, read back
// against its plan (the checker of the output tests).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "output/plan_files_check.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

TEST(SamplePlanFiles, EveryLayoutCutWhereThePlanSays) {
    testsupport::ScratchDir dir;
    testsupport::AppDirScope app{dir.Path()};
    testsupport::CaptureSink sink;
    for (const auto& f :
         fs::directory_iterator(fs::path(TESSALY_TEST_DATA) / "../../examples/sample"))
        fs::copy_file(f.path(), dir.File(f.path().filename().string()));
    TMainWindowCore window;
    ASSERT_EQ(RunBatch(window, TCommandLine({"-auto:yes", "-hide:yes"})), 0);
    ASSERT_GT(Optimizer.Best.Count(), 1);
    EXPECT_EQ(plan_files_check::CheckPlanFiles(), std::vector<std::string>{});
}
