#include "app/core/option_reader.h"

#include <gtest/gtest.h>

#include "engine/pubfunc.h"
#include "engine/pubstr.h"

namespace {

struct ReadResult {
    bool Ok;
    TErrorLocation Error;
};

ReadResult Read(TOptionPage& Page) {
    TLayoutColors colors;
    ReadResult r{false, {}};
    r.Ok = ReadOption(Page, colors, r.Error);
    return r;
}

TEST(ReadOption, DefaultPageIsAccepted) {
    TOptionPage page;
    MinOffcutSize = 50;
    MinOffcutSizeText = "5";
    const ReadResult r = Read(page);
    ASSERT_TRUE(r.Ok) << r.Error.Message;
    EXPECT_TRUE(r.Error.Empty());
    EXPECT_EQ(MinOffcutSize, 0);  // hidden; a run ignores it
    EXPECT_EQ(MinOffcutSizeText, "0");
}

TEST(ReadOption, ConvertsTypedLengthsAndKeepsTheirTexts) {
    const struct {
        std::string TOptionPage::*Field;
        const char* Typed;
        const std::int32_t* Units;
        const std::string* Text;
        std::int32_t Expected;
    } lengths[] = {
        {&TOptionPage::EditBladeWidth, "0.004", &BladeWidth, &BladeWidthText, 4},
        {&TOptionPage::EditHeightEdige, "1 1/2", &LengthEdge, &LengthEdgeText, 1500},
        {&TOptionPage::EditWidthEdge, " 3/4 ", &WidthEdge, &WidthEdgeText, 750},
        {&TOptionPage::EditMinOffcutLength1, "12.5", &MinScrapLength, &MinScrapLengthText, 12500},
        {&TOptionPage::EditMinOffcutLength2, "", &MinScrapWidth, &MinScrapWidthText, 0},
    };
    TOptionPage page;
    for (const auto& l : lengths) page.*l.Field = l.Typed;
    page.EditMeasure = "mm";
    page.ComboBoxBothOrEither = 1;
    page.RadioGroupCutMode = kCutModeRolling;
    page.CheckBoxFastSpeed = false;
    page.CheckBoxCostOptimize = false;
    page.ColorBoxEdge = 1;
    page.ColorBoxSheets = 2;
    page.ColorBoxParts = 3;
    page.ColorBoxOffcuts = 4;
    PubFunc.SetDecimals(1);  // the reader puts the scale back first

    TLayoutColors colors;
    TErrorLocation error;
    ASSERT_TRUE(ReadOption(page, colors, error)) << error.Message;
    for (const auto& l : lengths) {
        EXPECT_EQ(*l.Units, l.Expected) << l.Typed;
        EXPECT_EQ(*l.Text, l.Typed);
    }
    EXPECT_EQ(MeasureUnitName, "mm");
    EXPECT_FALSE(OffcutLenRotatable);
    EXPECT_TRUE(RollingMode);
    EXPECT_FALSE(FastOptimize || CostOptimize);
    EXPECT_EQ(std::vector<int>({colors.Edge, colors.Sheets, colors.Parts, colors.Offcuts}),
              std::vector<int>({1, 2, 3, 4}));
}

TEST(ReadOption, CutModeOutsideTheItemsBecomesGuillotine) {
    TOptionPage page;
    page.RadioGroupCutMode = 5;
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_EQ(page.RadioGroupCutMode, kCutModeGuillotine);
    EXPECT_TRUE(GuillotineMode && !RollingMode);
    page.RadioGroupCutMode = kCutModeNested;
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_FALSE(GuillotineMode || RollingMode);
}

TEST(ReadOption, BladeWidthMustBeEvenAndNotNegative) {
    const struct {
        const char* Text;
        std::string Reason;
    } cases[] = {{"0.003", ""},
                 {"-0.002", ""},
                 {"abc", "'abc' is not a valid floating point value"},
                 {"99999999", "Range check error"}};
    for (const auto& c : cases) {
        TOptionPage page;
        page.EditBladeWidth = c.Text;
        const ReadResult r = Read(page);
        EXPECT_FALSE(r.Ok) << c.Text;
        EXPECT_EQ(r.Error.Page, "TabSheetSetup");
        EXPECT_EQ(r.Error.Control, "EditBladeWidth");
        EXPECT_FALSE(r.Error.IsGridCell());
        EXPECT_EQ(r.Error.Message, "[" + c.Reason + "]" + MsgBladeWidthFormatInvalid);
    }
}

TEST(ReadOption, EachLengthFieldReportsItsOwnMessage) {
    struct Case {
        std::string TOptionPage::*Field;
        const char* Control;
        const std::string* Message;
    };
    const Case cases[] = {
        {&TOptionPage::EditHeightEdige, "EditHeightEdige", &MsgWidthEdgeFormatInvalid},
        {&TOptionPage::EditWidthEdge, "EditWidthEdge", &MsgLengthEdgeFormatInvalid},
        {&TOptionPage::EditMinOffcutLength1, "EditMinOffcutLength1",
         &MsgMinScrapLengthFormatInvalid},
        {&TOptionPage::EditMinOffcutLength2, "EditMinOffcutLength2",
         &MsgMinScrapWidthFormatInvalid},
    };
    for (const Case& c : cases) {
        TOptionPage page;
        page.*c.Field = "-1";
        ReadResult r = Read(page);
        EXPECT_FALSE(r.Ok) << c.Control;
        EXPECT_EQ(r.Error.Control, c.Control);
        EXPECT_EQ(r.Error.Message, "[]" + *c.Message);

        page.*c.Field = "1 1/x";
        r = Read(page);
        EXPECT_FALSE(r.Ok) << c.Control;
        EXPECT_EQ(r.Error.Message.front(), '[');
        EXPECT_NE(r.Error.Message.find("is not a valid"), std::string::npos) << r.Error.Message;
        EXPECT_TRUE(r.Error.Message.ends_with("]" + *c.Message));
    }
}

TEST(ReadOption, MalformedFractionIsNotTakenAsZero) {
    TOptionPage page;
    page.EditHeightEdige = "2 3";  // a blank but no fraction
    LengthEdge = 77;
    const ReadResult r = Read(page);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error.Message,
              "['2 3' is not a valid floating point value]" + MsgWidthEdgeFormatInvalid);
    EXPECT_EQ(LengthEdge, 77);
}

TEST(ReadOption, SettingsBeforeTheBadFieldKeepTheirNewValues) {
    TOptionPage page;
    page.EditBladeWidth = "0.01";
    page.EditWidthEdge = "x";
    page.EditMeasure = "cm";
    const ReadResult r = Read(page);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(BladeWidth, 10);
    EXPECT_EQ(MeasureUnitName, "inch");  // read after the bad field
}

TEST(ReadOption, UsesTheMessageInForce) {
    MsgBladeWidthFormatInvalid = "Sägeblatt ungültig";
    TOptionPage page;
    page.EditBladeWidth = "1 1/2";  // 1500 units: even, accepted
    EXPECT_TRUE(Read(page).Ok);
    page.EditBladeWidth = "0.001";
    EXPECT_EQ(Read(page).Error.Message, "[]Sägeblatt ungültig");
}

TEST(ReadOption, PrinterFontSizesBelowEightBecomeEight) {
    const struct {
        std::string TOptionPage::*Field;
        const char* Typed;
        const char* Shown;
        const std::int32_t* Size;
    } cases[] = {{&TOptionPage::EditPrinterFontSize, "abc", "8", &PrinterFontSize},
                 {&TOptionPage::EditFontLabelSize, "5", "8", &LabelFontSize},
                 {&TOptionPage::EditFontDimSize, "12", "12", &DimFontSize},
                 {&TOptionPage::EditFontPositionSize, "8", "8", &PositionFontSize},
                 {&TOptionPage::EditFontCutSeqSize, "", "8", &CutSeqFontSize}};
    TOptionPage page;
    for (const auto& c : cases) page.*c.Field = c.Typed;
    page.EditFontDim = "Dim Font";
    ASSERT_TRUE(Read(page).Ok);
    for (const auto& c : cases) {
        EXPECT_EQ(page.*c.Field, c.Shown) << c.Typed;
        EXPECT_EQ(std::to_string(*c.Size), c.Shown) << c.Typed;
    }
    EXPECT_EQ(DimFontName, "Dim Font");
}

TEST(ReadOption, DxfFontSizeNeverStopsARun) {
    TOptionPage page;
    page.lbledtDXFFontSize = "2.5";
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_DOUBLE_EQ(DxfTextHeight, 2.5);

    page.lbledtDXFFontSize = "big";
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_DOUBLE_EQ(DxfTextHeight, 2.5);

    DxfTextHeight = -1.0;
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_DOUBLE_EQ(DxfTextHeight, 4.0);
}

}  // namespace
