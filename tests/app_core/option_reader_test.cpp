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
    EXPECT_EQ(MinOffcutSize, 0);
    EXPECT_EQ(MinOffcutSizeText, "0");
    EXPECT_TRUE(OffcutLenRotatable);
    EXPECT_EQ(MeasureUnitName, "inch");
    EXPECT_EQ(PubFunc.GetDecimals(), 3);
}

TEST(ReadOption, ConvertsTypedLengthsAndKeepsTheirTexts) {
    TOptionPage page;
    page.EditBladeWidth = "0.004";
    page.EditHeightEdige = "1 1/2";
    page.EditWidthEdge = " 3/4 ";
    page.EditMinOffcutLength1 = "12.5";
    page.EditMinOffcutLength2 = "";
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
    EXPECT_EQ(BladeWidth, 4);
    EXPECT_EQ(BladeWidthText, "0.004");
    EXPECT_EQ(LengthEdge, 1500);
    EXPECT_EQ(LengthEdgeText, "1 1/2");
    EXPECT_EQ(WidthEdge, 750);
    EXPECT_EQ(WidthEdgeText, " 3/4 ");
    EXPECT_EQ(MinScrapLength, 12500);
    EXPECT_EQ(MinScrapWidth, 0);
    EXPECT_EQ(MinScrapWidthText, "");
    EXPECT_EQ(MeasureUnitName, "mm");
    EXPECT_FALSE(OffcutLenRotatable);
    EXPECT_TRUE(RollingMode);
    EXPECT_FALSE(GuillotineMode);
    EXPECT_FALSE(FastOptimize);
    EXPECT_FALSE(CostOptimize);
    EXPECT_EQ(colors.Edge, 1);
    EXPECT_EQ(colors.Sheets, 2);
    EXPECT_EQ(colors.Parts, 3);
    EXPECT_EQ(colors.Offcuts, 4);
}

TEST(ReadOption, CutModeOutsideTheItemsBecomesGuillotine) {
    TOptionPage page;
    page.RadioGroupCutMode = 5;
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_EQ(page.RadioGroupCutMode, kCutModeGuillotine);
    EXPECT_TRUE(GuillotineMode);
    EXPECT_FALSE(RollingMode);

    page.RadioGroupCutMode = kCutModeNested;
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_FALSE(GuillotineMode);
    EXPECT_FALSE(RollingMode);
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
    TOptionPage page;
    page.EditPrinterFontSize = "abc";
    page.EditFontLabelSize = "5";
    page.EditFontDimSize = "12";
    page.EditFontPositionSize = "8";
    page.EditFontCutSeqSize = "";
    page.EditFontDim = "Dim Font";
    ASSERT_TRUE(Read(page).Ok);
    EXPECT_EQ(page.EditPrinterFontSize, "8");
    EXPECT_EQ(PrinterFontSize, 8);
    EXPECT_EQ(page.EditFontLabelSize, "8");
    EXPECT_EQ(LabelFontSize, 8);
    EXPECT_EQ(page.EditFontDimSize, "12");
    EXPECT_EQ(DimFontSize, 12);
    EXPECT_EQ(DimFontName, "Dim Font");
    EXPECT_EQ(PositionFontSize, 8);
    EXPECT_EQ(page.EditFontCutSeqSize, "8");
    EXPECT_EQ(CutSeqFontSize, 8);
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
