#include "output/label_layout.h"

#include <gtest/gtest.h>

#include "engine/pubstr.h"
#include "support/recording_canvas.h"

namespace {

TLabelPageText Page(int Measure, const char* Cols, const char* Rows, const char* Gap,
                    const char* Margin) {
    TLabelPageText t;
    t.ComboBoxMeasure = Measure;
    t.EditLabelColNumber = Cols;
    t.EditLabelRowNumber = Rows;
    t.EditLabelHorizontalGap = t.EditLabelVerticalGap = Gap;
    t.EditLengthMarge = t.EditWidthMarge = Margin;
    return t;
}

}  // namespace

TEST(LabelGeometry, LabelSizeInInchAndMm) {
    struct Case {
        TLabelPageText Text;
        double Width, Height;
    } cases[] = {
        // 8.5 x 11 page, 3 x 10 labels, no gaps or margins.
        {Page(0, "3", "10", "0", "0"), 8.5 / 3, 1.1},
        // Half-inch margins and 0.25 gaps.
        {Page(0, "2", "4", "0.25", "0.5"), (8.5 - 1 - 0.25) / 2, (11 - 1 - 0.75) / 4},
        // The same in millimetres: every length times 0.03937.
        {Page(1, "2", "4", "10", "20"), (8.5 - 40 * kInchesPerMm - 10 * kInchesPerMm) / 2,
         (11 - 40 * kInchesPerMm - 30 * kInchesPerMm) / 4},
    };
    for (Case& c : cases) {
        TLabelGeometry g;
        ASSERT_TRUE(ValidateLabelLayout(c.Text, 8.5, 11, g).Ok);
        EXPECT_NEAR(g.LabelWidth, c.Width, 1e-9);
        EXPECT_NEAR(g.LabelHeight, c.Height, 1e-9);
    }
}

TEST(LabelGeometry, BadDescriptionsAreInvalidData) {
    struct Case {
        TLabelPageText Text;
        const char* Field;
    } cases[] = {
        {Page(0, "0", "10", "0", "0"), "EditLabelColNumber"},
        {Page(0, "3", "x", "0", "0"), "EditLabelRowNumber"},
        {Page(0, "3", "10", "-1", "0"), "EditLabelHorizontalGap"},
        // Margins wider than the page, or gaps eating it: no label fits.
        {Page(0, "3", "10", "0", "5"), "EditLengthMarge"},
        {Page(0, "1", "10", "0", "0"), nullptr},
        {Page(0, "1", "3", "6", "0"), "EditWidthMarge"},
    };
    for (Case& c : cases) {
        TLabelGeometry g;
        const TLabelCheck check = ValidateLabelLayout(c.Text, 8.5, 11, g);
        if (!c.Field) {
            EXPECT_TRUE(check.Ok);
            continue;
        }
        EXPECT_FALSE(check.Ok) << c.Field;
        EXPECT_EQ(check.Field, c.Field);
        EXPECT_NE(check.Message.find(MsgInvalidData), std::string::npos);
    }
}

TEST(LabelGeometry, EmptyEditsTakeTheirDefaults) {
    TLabelPageText t = Page(0, " ", "", "", "");
    TLabelGeometry g;
    ASSERT_TRUE(ValidateLabelLayout(t, 9, 10, g).Ok);
    EXPECT_EQ(t.EditLabelColNumber, "3");
    EXPECT_EQ(g.LabelRowsPerPage, 10);
}

TEST(LabelPlacing, StartPositionAndLastPartialPage) {
    TLabelPageText t = Page(0, "3", "4", "0", "0");
    TLabelGeometry g;
    ASSERT_TRUE(ReadPrintOptions(t, 9, 8, g).Ok);
    // 25 labels, 12 to a page: three pages, the last holding one.
    std::vector<TLabelPlace> p = PlaceLabels(g, 25);
    ASSERT_EQ(p.size(), 25u);
    EXPECT_EQ(p.back().Page, 2);
    EXPECT_EQ(p[24].X, 0);
    EXPECT_EQ(LabelPageCount(g, 24), 2);

    // Row 2, column 3: the first page starts at its sixth position.
    t.EditPrintLabelFromRow = "2";
    t.EditPrintLabelFromCol = "3";
    ASSERT_TRUE(ReadPrintOptions(t, 9, 8, g).Ok);
    p = PlaceLabels(g, 8);
    EXPECT_DOUBLE_EQ(p[0].X, 6);
    EXPECT_DOUBLE_EQ(p[0].Y, 2);
    EXPECT_EQ(p[6].Page, 0);
    EXPECT_EQ(p[7].Page, 1);
    EXPECT_DOUBLE_EQ(p[7].X, 0);
    EXPECT_DOUBLE_EQ(p[7].Y, 0);

    for (const char* row : {"0", "5"}) {
        t.EditPrintLabelFromRow = row;
        const TLabelCheck c = ReadPrintOptions(t, 9, 8, g);
        EXPECT_FALSE(c.Ok);
        EXPECT_EQ(c.Field, "EditPrintLabelFromRow");
    }
}

TEST(LabelDrawing, FieldCellsPrintValuesOthersAsWritten) {
    TLabelFormat f;
    f.TopTitle = true;
    f.TopTitleCaption = "No ";
    f.TopTitleData = 0;
    f.Cells = {{"Label", "Size"}, {"cut me", ""}};
    f.ColWidths = {10, 10};
    TLabelGeometry g;
    g.LabelTopTitleWidth = 0.5;
    testsupport::RecordingCanvas c;
    DrawLabel(c, f, g, {"Label", "Size"}, {"P1", "20 X 10"}, 0, 0, 2, 1);
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"No P1", "P1", "20 X 10", "cut me"}));
}

// A label that would print nothing is refused; any cell text or title is enough.
TEST(LabelDrawing, BlankLabelIsRefused) {
    TLabelFormat f;
    f.Cells = {{"", " "}, {"\t", ""}};
    f.ColWidths = {10, 10};
    const TLabelCheck blank = CheckLabelContent(f);
    EXPECT_FALSE(blank.Ok);
    EXPECT_EQ(blank.Field, "StringGridLabelDataFormat");
    EXPECT_FALSE(blank.Message.empty());
    f.LeftTitle = true;
    EXPECT_TRUE(CheckLabelContent(f).Ok);
    f.LeftTitle = false;
    f.Cells[1][1] = "Label";
    EXPECT_TRUE(CheckLabelContent(f).Ok);
}
