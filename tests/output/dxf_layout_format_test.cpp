// The third layout of the sample plan as a DXF drawing, compared with a file
// written by hand from the drawing format: header with limits (42 x 31 plus
// a hundred text heights), the sheet frame and the usable area, the turned
// part A and the offcut with their position and size texts, the layout
// header as text lines below the sheet.
#include <gtest/gtest.h>

#include "output/dxf_layout.h"
#include "output/sample_plan.h"

using namespace sample_plan;

TEST(DxfLayoutFormat, ThirdLayoutMatchesTheHandWrittenFile) {
    Build();
    FixedDateTime fixed;
    LayoutShowLabel = false;
    LayoutShowOffcuts = true;
    LayoutShowLengthXWidth = true;
    LayoutShowXYPos = true;
    testsupport::ScratchDir dir;
    std::string out;
    SaveLayoutDxf(dir.File("plan.dxf"), 2, out);
    EXPECT_EQ(SplitCrLf(testsupport::ReadText(out)),
              SplitCrLf(Expected("layout_3_from_format.dxf")));
}
