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

// The caption and hint of every key.
std::vector<std::string> AllTexts(const TCaptionStore& Store) {
    std::vector<std::string> texts;
    for (const TCaptionKey& k : CaptionKeys())
        texts.push_back(Store.KeyCaption(k.Key) + "|" + Store.KeyHint(k.Key));
    return texts;
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
    int separators = 0;
    for (const auto& item : CaptionEditorItems()) {
        separators += !item.Key;
        if (item.Key) {
            EXPECT_EQ(item.Text, item.Key->Key);
        }
        EXPECT_EQ(item.Text.front() == '-', !item.Key) << item.Text;
    }
    EXPECT_EQ(separators, 10);
    EXPECT_EQ(CaptionEditorItems()[1].Text, "Menu File");
}

TEST(CaptionFile, KeysInOtherLetterCaseApplyAndUnknownKeysAreIgnored) {
    ScratchDir dir;
    const std::string path = dir.File("case.cap");
    WriteText(path,
              "[caption]\r\n"
              "Tab Parts=Teile\r\n"
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
    // A relabelled tab relabels everything derived from it.
    EXPECT_EQ(store.Caption("TabSheetParts"), "Teile");
    EXPECT_EQ(store.Caption("LabelSetupPartsColor"), "Teile " + ColorCaption);
    EXPECT_EQ(PartsCaption, "Teile");
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
    EXPECT_EQ(store.Caption("TabSheetReport"), TCaptionStore().Caption("TabSheetReport"));
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

    const auto expected = AllTexts(store);
    store.WriteCaptionFile(path);

    ResetPubStrDefaults();
    TCaptionStore fresh;
    fresh.ReadCaptionFile(path);
    EXPECT_EQ(AllTexts(fresh), expected);
    EXPECT_EQ(MsgCantGetResult, "line one\r\nline two\r\n");
}

TEST(CaptionFile, WriteKeepsForeignKeysAndWritesLineBreaksAsEscapes) {
    ScratchDir dir;
    const std::string path = dir.File("kinds.cap");
    WriteText(path, "[CAPTION]\r\nMy Own Key=stays\r\n[OTHER]\r\nX=1\r\n");
    TCaptionStore store;
    store.WriteCaptionFile(path);
    platform::TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CAPTION", "My Own Key", ""), "stays");
    EXPECT_EQ(ini.ReadString("OTHER", "X", ""), "1");
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

// Each kind of key shows the editors it has; a confirmed text is applied and
// refreshes what derives from it; a separator line changes nothing.
TEST(CaptionEditor, LoadAndConfirm) {
    TCaptionStore store;
    const struct {
        const char* Key;  // nullptr: a separator line
        bool Caption, Hint;
        std::string Shown;
    } cases[] = {
        {"MSG_SHEET_DATA_IS_EMPTY", true, false, MsgSheetDataIsEmpty},
        {"Help Tool Button", false, true, store.Hint("ToolButton2")},
        {nullptr, true, true, ""},
        {"Blade Width Caption", true, true, "Blade Width"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Key ? c.Key : "separator");
        TCaptionEditor editor;
        editor.ComboBoxInterfaceCaption = c.Key ? LineOf(c.Key) : 0;
        store.ComboBoxInterfaceCaptionChange(editor);
        EXPECT_EQ(editor.CaptionEditVisible, c.Caption);
        EXPECT_EQ(editor.HintEditVisible, c.Hint);
        EXPECT_EQ(c.Caption ? editor.EditModifyCaption : editor.EditModifyHint, c.Shown);
        editor.EditModifyCaption = "Kerf";
        editor.EditModifyHint = "Saw kerf";
        const auto before = AllTexts(store);
        store.ButtonConfirmCaptionClick(editor);
        EXPECT_EQ(AllTexts(store) == before, !c.Key);
    }
    EXPECT_EQ(store.Caption("LabelSetupBladeWidth"), "Kerf");
    EXPECT_EQ(store.Hint("LabelSetupBladeWidth"), "Saw kerf");
    EXPECT_EQ(BladeWidthCaption, "Kerf");
    EXPECT_EQ(MsgSheetDataIsEmpty, "Kerf");
}

// A click into a field selects all its text, whichever field was clicked
// last; choosing another line shows its texts with nothing selected.
TEST(CaptionEditor, ClickSelectsTheWholeFieldTillAnotherLineIsChosen) {
    using F = TCaptionEditor::TField;
    TCaptionStore store;
    const struct {
        const char* Steps;  // c: click the caption, h: click the hint, l: choose a line
        F Selected;
    } cases[] = {
        {"", F::None}, {"c", F::Caption}, {"h", F::Hint}, {"ch", F::Hint},
        {"hc", F::Caption}, {"cc", F::Caption}, {"cl", F::None}, {"hlc", F::Caption},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Steps);
        TCaptionEditor editor;
        editor.ComboBoxInterfaceCaption = LineOf("Blade Width Caption");
        store.ComboBoxInterfaceCaptionChange(editor);
        for (const char* step = c.Steps; *step; ++step) {
            if (*step == 'c') editor.OnClickEditCaption();
            if (*step == 'h') editor.OnClickEditHint();
            if (*step == 'l') store.ComboBoxInterfaceCaptionChange(editor);
        }
        EXPECT_EQ(editor.SelectedWhole, c.Selected);
        EXPECT_EQ(editor.EditModifyCaption, "Blade Width");  // a click changes no text
    }
}

TEST(CaptionRefresh, DerivedTextsFollowTheirSources) {
    TCaptionStore store;
    // Reports say "Material Type" by default, however often refreshed.
    for (int i = 0; i < 2; ++i) {
        store.RefreshCaption();
        EXPECT_EQ(MaterialTypeCaption, "Material Type");
        EXPECT_EQ(store.Caption("LabelLayoutType"), "Material Type");
    }
    store.SetCaption("LabelSetupLengthEdge", "L");
    store.SetCaption("LabelSetupWidthEdge", "W");
    store.SetCaption("GroupBoxMaterialType", "Stoff");
    store.SetCaption("TabSheetOffcuts", "Reste");
    GuillotineCaption = "Guill.";
    BandCaption = "Kante";
    RotatableCaption = "Drehbar";
    store.RefreshCaption();
    EXPECT_EQ(store.Caption("LabelSetupEdgeColor"), "L && W" + ColorCaption);
    EXPECT_EQ(store.Caption("LabelOffcutsColor"), "Reste " + ColorCaption);
    EXPECT_EQ(store.Caption("ShowOffcuts"), "Reste");
    EXPECT_EQ(OffcutsCaption, "Reste");
    // A relabelled group box gives the layout page's label and the reports'
    // word its text at once.
    EXPECT_EQ(store.Caption("LabelLayoutType"), "Stoff");
    EXPECT_EQ(MaterialTypeCaption, "Stoff");
    EXPECT_EQ(store.Items("RadioGroupCutMode"),
              (std::vector<std::string>{NestedCaption, "Guill.", RollingCaption}));
    EXPECT_EQ(store.Items("ComboBoxBothOrEither")[0], "Drehbar");
    EXPECT_EQ(store.Caption("GroupBoxPartsEdge"), "Kante && " + GrindingCaption);
}

TEST(CaptionRefresh, DxfSettings) {
    TCaptionStore store;
    const struct {
        const char *Size, *Polyline;
        double Height;
        bool Lines;
    } cases[] = {{"-3", "N", 3.0, true}, {"1 1/2", "Y", 1.5, false}, {"big", "Y", 1.5, false}};
    for (const auto& c : cases) {
        DxfTextFontSize = c.Size;
        DxfPolylineExporting = c.Polyline;
        store.RefreshCaption();
        EXPECT_DOUBLE_EQ(DxfTextHeight, c.Height) << c.Size;
        EXPECT_EQ(DxfExportLines, c.Lines) << c.Size;
    }
}

}  // namespace
