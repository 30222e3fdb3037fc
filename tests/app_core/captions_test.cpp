#include "app/core/captions.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

int LineOf(std::string_view Key) {
    const auto& items = CaptionEditorItems();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Key && items[i].Key->Key == Key) return static_cast<int>(i);
    return -1;
}

TEST(CaptionKeys, EveryKeyIsUniqueAndHasATarget) {
    const auto& keys = CaptionKeys();
    EXPECT_EQ(keys.size(), 238u);
    std::set<std::string> seen;
    const TCaptionStore store;
    for (const TCaptionKey& k : keys) {
        EXPECT_TRUE(seen.insert(UpperCase(k.Key)).second) << k.Key;
        EXPECT_EQ(FindCaptionKey(UpperCase(k.Key)), &k);
        if (k.Kind == TCaptionKind::String)
            EXPECT_NE(CaptionStringVariable(k.Target), nullptr) << k.Target;
        else
            EXPECT_NE(store.Find(k.Target), nullptr) << k.Target;
    }
    EXPECT_EQ(FindCaptionKey("No Such Key"), nullptr);
}

TEST(CaptionKeys, EditorListGroupsTheKeysUnderSeparators) {
    const auto& items = CaptionEditorItems();
    ASSERT_EQ(items.size(), 238u + 10u);
    EXPECT_EQ(items.front().Key, nullptr);
    EXPECT_NE(items.front().Text.find("MENU"), std::string::npos);
    EXPECT_EQ(items.back().Key, nullptr);
    EXPECT_EQ(items.back().Text.find_first_not_of('-'), std::string::npos);
    EXPECT_EQ(items[1].Text, "Menu File");
    int separators = 0;
    for (const auto& item : items) {
        if (!item.Key) {
            ++separators;
            EXPECT_EQ(item.Text.front(), '-');
        } else {
            EXPECT_EQ(item.Text, item.Key->Key);
        }
    }
    EXPECT_EQ(separators, 10);
}

TEST(CaptionFile, OneKeyRelabelsTheTabAndEverythingDerivedFromIt) {
    ScratchDir dir;
    const std::string path = dir.File("parts.cap");
    WriteText(path, "[CAPTION]\r\nTab Parts=Teile\r\n");
    TCaptionStore store;
    store.ReadCaptionFile(path);
    EXPECT_EQ(store.Caption("TabSheetParts"), "Teile");
    EXPECT_EQ(store.Caption("LabelSetupPartsColor"), "Teile " + ColorCaption);
    EXPECT_EQ(PartsCaption, "Teile");
    EXPECT_EQ(store.Caption("TabSheetSheets"), "RAW Panels");  // untouched
    EXPECT_EQ(store.KeyCaption("tab parts"), "Teile");
}

TEST(CaptionFile, KeysInOtherLetterCaseApplyAndUnknownKeysAreIgnored) {
    ScratchDir dir;
    const std::string path = dir.File("case.cap");
    WriteText(path,
              "[caption]\r\n"
              "TAB SHEETS=Platten\r\n"
              "msg_part_qty_format_invalid=Menge falsch\r\n"
              "No Such Key=ignored\r\n"
              "menu file=&Datei\r\n"
              "[hint]\r\n"
              "load file button=Datei laden\r\n"
              "start optimize button=Los\r\n"
              "MSG_PART_QTY_FORMAT_INVALID=not a hint\r\n");
    TCaptionStore store;
    store.ReadCaptionFile(path);
    EXPECT_EQ(store.Caption("TabSheetSheets"), "Platten");
    EXPECT_EQ(RawPanelsCaption, "Platten");
    EXPECT_EQ(store.Caption("LabelSheetHead"), "Platten");
    EXPECT_EQ(store.Items("RadioGroupLayoutsOrder")[1], "Platten");
    EXPECT_EQ(MsgPartQtyFormatInvalid, "Menge falsch");
    EXPECT_EQ(store.Caption("File1"), "&Datei");
    EXPECT_EQ(store.Hint("SheetsOpen"), "Datei laden");
    EXPECT_EQ(store.Hint("PartsOpen"), "Datei laden");  // twin
    EXPECT_EQ(store.Caption("PartsOpen"), "Load File");
    EXPECT_EQ(store.Hint("StartOptimize"), "Los");
    EXPECT_EQ(store.Find("No Such Key"), nullptr);
}

TEST(CaptionFile, MissingFileChangesNothingButTheRefresh) {
    ScratchDir dir;
    TCaptionStore store;
    const std::string before = store.Caption("TabSheetReport");
    OffcutCaption = "stale";
    store.ReadCaptionFile(dir.File("none.cap"));
    EXPECT_EQ(store.Caption("TabSheetReport"), before);
    EXPECT_EQ(OffcutCaption, store.Caption("TabSheetOffcuts"));
    EXPECT_EQ(MsgCantGetResult.find("Not enough material"), 0u);
}

TEST(CaptionFile, RoundTripOfEveryKey) {
    ScratchDir dir;
    const std::string path = dir.File("all.cap");
    TCaptionStore store;
    // Give every key a text of its own, with the awkward cases among them.
    int n = 0;
    for (const TCaptionKey& k : CaptionKeys()) {
        const std::string text = "T" + std::to_string(n++) + " " + std::string(k.Key);
        switch (k.Kind) {
            case TCaptionKind::Control:
                store.SetCaption(k.Target, text);
                store.SetHint(k.Target, "hint of " + text);
                break;
            case TCaptionKind::Menu:
                store.SetCaption(k.Target, text);
                break;
            case TCaptionKind::HintOf:
                store.SetHint(k.Target, text);
                break;
            case TCaptionKind::String:
                *CaptionStringVariable(k.Target) = text;
                break;
        }
    }
    MsgCantGetResult = "line one\r\nline two\r\n";
    FastestToMaxUtilizationSpeedBarCaption = " << fastest  |  Max. >> ";
    MsgCantOpenFile = "C:\\new\\file \"x\"";
    MsgSameFieldError = "'quoted'";
    MsgNeedExcel = "";
    store.SetCaption("TabSheetSetup", "a = b ; [c]");
    store.SetHint("SheetsSave", "\\n is no break");

    std::vector<std::pair<std::string, std::string>> expected;
    for (const TCaptionKey& k : CaptionKeys())
        expected.emplace_back(store.KeyCaption(k.Key), store.KeyHint(k.Key));
    store.WriteCaptionFile(path);

    ResetPubStrDefaults();
    TCaptionStore fresh;
    fresh.ReadCaptionFile(path);
    std::size_t i = 0;
    for (const TCaptionKey& k : CaptionKeys()) {
        EXPECT_EQ(fresh.KeyCaption(k.Key), expected[i].first) << k.Key;
        EXPECT_EQ(fresh.KeyHint(k.Key), expected[i].second) << k.Key;
        ++i;
    }
    EXPECT_EQ(MsgCantGetResult, "line one\r\nline two\r\n");
    EXPECT_EQ(FastestToMaxUtilizationSpeedBarCaption, " << fastest  |  Max. >> ");
    EXPECT_EQ(MsgCantOpenFile, "C:\\new\\file \"x\"");
}

TEST(CaptionFile, WritesEachKeyInTheSectionsOfItsKind) {
    ScratchDir dir;
    const std::string path = dir.File("kinds.cap");
    WriteText(path, "[CAPTION]\r\nMy Own Key=stays\r\n[OTHER]\r\nX=1\r\n");
    TCaptionStore store;
    store.WriteCaptionFile(path);
    platform::TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CAPTION", "My Own Key", ""), "stays");
    EXPECT_EQ(ini.ReadString("OTHER", "X", ""), "1");
    EXPECT_TRUE(ini.ValueExists("CAPTION", "Tab Parts"));
    EXPECT_TRUE(ini.ValueExists("HINT", "Tab Parts"));
    EXPECT_TRUE(ini.ValueExists("CAPTION", "MSG_MANUAL_LOCK"));
    EXPECT_FALSE(ini.ValueExists("HINT", "MSG_MANUAL_LOCK"));
    EXPECT_TRUE(ini.ValueExists("CAPTION", "Menu File"));
    EXPECT_FALSE(ini.ValueExists("HINT", "Menu File"));
    EXPECT_FALSE(ini.ValueExists("CAPTION", "Start Optimize Button"));
    EXPECT_TRUE(ini.ValueExists("HINT", "Start Optimize Button"));
    EXPECT_EQ(ini.ReadSection("CAPTION").size(), 1u + 238u - 5u);  // five toolbar hints
    for (const auto& item : CaptionEditorItems()) {
        if (!item.Key) {
            EXPECT_FALSE(ini.ValueExists("CAPTION", item.Text));
        }
    }
    EXPECT_EQ(ini.ReadString("CAPTION", "MSG_CANT_GET_RESULT", "").find("\\n"),
              MsgCantGetResult.find("\r\n"));
}

TEST(CaptionFile, SetAsDefaultWritesTheStartFolderFile) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TCaptionStore store;
    store.SetCaption("TabSheetLayout", "Pläne");
    store.ButtonSetAsDefaultCaptionClick();
    TCaptionStore fresh;
    fresh.ReadCaptionFile(DefaultCaptionFilePath());
    EXPECT_EQ(fresh.Caption("TabSheetLayout"), "Pläne");
    EXPECT_EQ(LayoutsCaption, "Pläne");
}

TEST(CaptionFile, FailedWriteIsReportedAndLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("default.cap");
    const std::string old = "[CAPTION]\r\nTab Parts=Old\r\n";
    WriteText(path, old);
    TCaptionStore store;
    {
        testsupport::WriteBlocker block(path);
        EXPECT_THROW(store.WriteCaptionFile(path), platform::IniWriteError);
    }
    EXPECT_EQ(ReadText(path), old);
}

TEST(CaptionEditor, LoadingShowsTheEditorsTheKindHas) {
    TCaptionStore store;
    TCaptionEditor editor;

    editor.ComboBoxInterfaceCaption = LineOf("MSG_SHEET_DATA_IS_EMPTY");
    store.ComboBoxInterfaceCaptionChange(editor);
    EXPECT_EQ(editor.EditModifyCaption, MsgSheetDataIsEmpty);
    EXPECT_TRUE(editor.CaptionEditVisible);
    EXPECT_FALSE(editor.HintEditVisible);

    editor.ComboBoxInterfaceCaption = LineOf("Help Tool Button");
    store.ComboBoxInterfaceCaptionChange(editor);
    EXPECT_FALSE(editor.CaptionEditVisible);
    EXPECT_TRUE(editor.HintEditVisible);
    EXPECT_EQ(editor.EditModifyHint, store.Hint("ToolButton2"));

    editor.ComboBoxInterfaceCaption = 0;  // a separator line
    store.ComboBoxInterfaceCaptionChange(editor);
    EXPECT_TRUE(editor.CaptionEditVisible);
    EXPECT_TRUE(editor.HintEditVisible);
    EXPECT_EQ(editor.EditModifyCaption, "");
    EXPECT_EQ(editor.EditModifyHint, "");

    editor.ComboBoxInterfaceCaption = LineOf("Blade Width Caption");
    store.ComboBoxInterfaceCaptionChange(editor);
    EXPECT_EQ(editor.EditModifyCaption, "Blade Width");
    EXPECT_TRUE(editor.HintEditVisible);
}

TEST(CaptionEditor, ConfirmAppliesTheTextAndRefreshes) {
    TCaptionStore store;
    TCaptionEditor editor;
    editor.ComboBoxInterfaceCaption = LineOf("Blade Width Caption");
    store.ComboBoxInterfaceCaptionChange(editor);
    editor.EditModifyCaption = "Kerf";
    editor.EditModifyHint = "Saw kerf";
    store.ButtonConfirmCaptionClick(editor);
    EXPECT_EQ(store.Caption("LabelSetupBladeWidth"), "Kerf");
    EXPECT_EQ(store.Hint("LabelSetupBladeWidth"), "Saw kerf");
    EXPECT_EQ(BladeWidthCaption, "Kerf");

    editor.ComboBoxInterfaceCaption = LineOf("Rotatable Caption");
    store.ComboBoxInterfaceCaptionChange(editor);
    editor.EditModifyCaption = "Drehbar";
    store.ButtonConfirmCaptionClick(editor);
    EXPECT_EQ(RotatableCaption, "Drehbar");
    EXPECT_EQ(store.Items("ComboBoxBothOrEither")[0], "Drehbar");

    editor.ComboBoxInterfaceCaption = 0;  // separators change nothing
    editor.EditModifyCaption = "x";
    store.ButtonConfirmCaptionClick(editor);
    EXPECT_EQ(store.Caption("x"), "");
}

TEST(CaptionRefresh, DerivedTextsFollowTheirSources) {
    TCaptionStore store;
    store.SetCaption("LabelSetupLengthEdge", "L");
    store.SetCaption("LabelSetupWidthEdge", "W");
    store.SetCaption("GroupBoxMaterialType", "Stoff");
    store.SetCaption("TabSheetOffcuts", "Reste");
    GuillotineCaption = "Guill.";
    BandCaption = "Kante";
    store.RefreshCaption();
    EXPECT_EQ(store.Caption("LabelSetupEdgeColor"), "L && W" + ColorCaption);
    EXPECT_EQ(store.Caption("LabelOffcutsColor"), "Reste " + ColorCaption);
    EXPECT_EQ(store.Caption("ShowOffcuts"), "Reste");
    EXPECT_EQ(OffcutCaption, "Reste");
    EXPECT_EQ(OffcutsCaption, "Reste");
    EXPECT_EQ(LengthEdgeCaption, "L");
    // A relabelled group box gives the layout page's label and the reports'
    // word its text at once.
    EXPECT_EQ(store.Caption("LabelLayoutType"), "Stoff");
    EXPECT_EQ(MaterialTypeCaption, "Stoff");
    EXPECT_EQ(store.Items("RadioGroupCutMode"),
              (std::vector<std::string>{NestedCaption, "Guill.", RollingCaption}));
    EXPECT_EQ(store.Caption("ButtonGrindingAndBandSetting"), "Kante && " + GrindingCaption);
    EXPECT_EQ(store.Caption("GroupBoxPartsEdge"), "Kante && " + GrindingCaption);
    EXPECT_EQ(store.Caption("ButtonPrintPartRackLabel"), sPrintLabel);
}

TEST(CaptionRefresh, ReportsSayMaterialTypeByDefaultHoweverOftenRefreshed) {
    TCaptionStore store;
    for (int i = 0; i < 3; ++i) {
        store.RefreshCaption();
        EXPECT_EQ(MaterialTypeCaption, "Material Type");
        EXPECT_EQ(store.Caption("LabelLayoutType"), "Material Type");
    }
    EXPECT_EQ(store.Caption("GroupBoxMaterialType"), "Panels Type");
}

TEST(CaptionRefresh, DxfSettings) {
    TCaptionStore store;
    DxfTextFontSize = "-3";
    DxfPolylineExporting = "N";
    store.RefreshCaption();
    EXPECT_DOUBLE_EQ(DxfTextHeight, 3.0);
    EXPECT_TRUE(DxfExportLines);

    DxfTextFontSize = "1 1/2";
    DxfPolylineExporting = "Y";
    store.RefreshCaption();
    EXPECT_DOUBLE_EQ(DxfTextHeight, 1.5);
    EXPECT_FALSE(DxfExportLines);

    DxfTextFontSize = "big";
    store.RefreshCaption();
    EXPECT_DOUBLE_EQ(DxfTextHeight, 1.5);
}

}  // namespace
