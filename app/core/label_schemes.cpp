#include "app/core/label_schemes.h"

#include <algorithm>
#include <filesystem>

#include "app/core/option_file.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

namespace {

// The page edits in the order of the file.
struct TextKey {
    const char* Key;
    std::string TLabelPageText::*Text;
    const char* Default;
};
const TextKey kPageEdits[] = {
    {"EditLabelColNumber", &TLabelPageText::EditLabelColNumber, "1"},
    {"EditLabelRowNumber", &TLabelPageText::EditLabelRowNumber, "1"},
    {"EditLabelHorizontalGap", &TLabelPageText::EditLabelHorizontalGap, "0"},
    {"EditLabelVerticalGap", &TLabelPageText::EditLabelVerticalGap, "0"},
    {"EditWidthMarge", &TLabelPageText::EditWidthMarge, "0"},
    {"EditLengthMarge", &TLabelPageText::EditLengthMarge, "0"},
};

// The keys of one title (top or left), in the order of the file.
struct TitleKeys {
    const char* Check;
    bool TLabelFormat::*Enabled;
    const char* CaptionKey;
    std::string TLabelFormat::*Caption;
    const char* DataKey;
    int TLabelFormat::*Data;
    const char* SizeKey;
    std::string TLabelPageText::*Size;
};
const TitleKeys kTitles[] = {
    {"CheckBoxTopTitle", &TLabelFormat::TopTitle, "EditTopTitleCaption",
     &TLabelFormat::TopTitleCaption, "ComboBoxTopTitleData", &TLabelFormat::TopTitleData,
     "EditTopTitleWidth", &TLabelPageText::EditTopTitleWidth},
    {"CheckBoxLeftTitle", &TLabelFormat::LeftTitle, "EditLeftTitleCaption",
     &TLabelFormat::LeftTitleCaption, "ComboBoxLeftTitleData", &TLabelFormat::LeftTitleData,
     "EditLeftTitleLength", &TLabelPageText::EditLeftTitleLength},
};

std::string CellKey(int Row, int Col) {
    return "StringGridLabelDataFormat_" + IntToStr(Row) + "_" + IntToStr(Col);
}
std::string WidthKey(int Col) {
    return "StringGridLabelDataFormat_WIDTH_" + IntToStr(Col);
}

}  // namespace

TLabelDialogState::TLabelDialogState() {
    SetCellSize(3, 2, 129);
}

void TLabelDialogState::SetCellSize(int Rows, int Cols, int NewWidth) {
    Rows = std::clamp(Rows, 1, kLabelCellRowsMax);
    Cols = std::clamp(Cols, 1, kLabelCellColsMax);
    Format.ColWidths.resize(static_cast<std::size_t>(Cols), NewWidth);
    Format.Cells.resize(static_cast<std::size_t>(Rows));
    for (auto& row : Format.Cells) row.resize(static_cast<std::size_t>(Cols));
}

void TLabelDialogState::ChangeCellRows(int Rows) {
    SetCellSize(Rows, CellCols());
}

void TLabelDialogState::ChangeCellCols(int Cols, int GridWidth, int HeaderWidth) {
    SetCellSize(CellRows(), Cols);
    const int width = std::max(1, (GridWidth - HeaderWidth - 4) / CellCols() - 1);
    for (int& w : Format.ColWidths) w = width;
}

std::string LabelSchemeFileName() {
    return (std::filesystem::path(AppDir) / "default.opt").string();
}

std::string LabelSchemeSection(int SchemeNo) {
    return "LABEL_SCHEME_" + IntToStr(SchemeNo);
}

bool SaveLabelScheme(const std::string& FileName, int SchemeNo, const TLabelDialogState& State) {
    if (SchemeNo < 1 || SchemeNo > kLabelSchemeCount) return false;
    platform::TIniFile ini = OpenIniForRewrite(FileName);
    const std::string s = LabelSchemeSection(SchemeNo);
    const TLabelPageText& p = State.Page;
    const TLabelFormat& f = State.Format;
    ini.WriteInteger(s, "ComboBoxMeasure", p.ComboBoxMeasure);
    for (const TextKey& k : kPageEdits) ini.WriteString(s, k.Key, p.*k.Text);
    for (const TitleKeys& t : kTitles) {
        ini.WriteBool(s, t.Check, f.*t.Enabled);
        ini.WriteString(s, t.CaptionKey, f.*t.Caption);
        ini.WriteInteger(s, t.DataKey, f.*t.Data);
        ini.WriteString(s, t.SizeKey, p.*t.Size);
    }
    ini.WriteInteger(s, "ScrollBarLabelRowCount", State.CellRows());
    ini.WriteInteger(s, "ScrollBarLabelColCount", State.CellCols());
    for (int r = 0; r < State.CellRows(); ++r)
        for (int c = 0; c < State.CellCols(); ++c)
            ini.WriteString(s, CellKey(r + 1, c + 1), f.Cells[r][c]);
    for (int c = 0; c < State.CellCols(); ++c) ini.WriteInteger(s, WidthKey(c + 1), f.ColWidths[c]);
    ini.WriteBool(s, "PrinterSetupDialog1_ORI", State.PortraitPrinter);
    ini.UpdateFile();
    return true;
}

bool LoadLabelScheme(const std::string& FileName, int SchemeNo, TLabelDialogState& State) {
    if (SchemeNo < 1 || SchemeNo > kLabelSchemeCount) return false;
    const platform::TIniFile ini(FileName);
    const std::string s = LabelSchemeSection(SchemeNo);
    TLabelPageText& p = State.Page;
    TLabelFormat& f = State.Format;
    p.ComboBoxMeasure = ini.ReadInteger(s, "ComboBoxMeasure", 0) == 1 ? 1 : 0;
    for (const TextKey& k : kPageEdits) p.*k.Text = ini.ReadString(s, k.Key, k.Default);
    for (const TitleKeys& t : kTitles) {
        f.*t.Enabled = ini.ReadBool(s, t.Check, false);
        f.*t.Caption = ini.ReadString(s, t.CaptionKey, "");
        f.*t.Data = std::max(0, ini.ReadInteger(s, t.DataKey, 0));
        p.*t.Size = ini.ReadString(s, t.SizeKey, "0");
    }
    State.SetCellSize(ini.ReadInteger(s, "ScrollBarLabelRowCount", 0),
                      ini.ReadInteger(s, "ScrollBarLabelColCount", 0));
    for (int r = 0; r < State.CellRows(); ++r)
        for (int c = 0; c < State.CellCols(); ++c)
            f.Cells[r][c] = ini.ReadString(s, CellKey(r + 1, c + 1), "");
    for (int c = 0; c < State.CellCols(); ++c)
        f.ColWidths[c] = std::max(0, ini.ReadInteger(s, WidthKey(c + 1), kDefaultLabelCellWidth));
    State.PortraitPrinter = ini.ReadBool(s, "PrinterSetupDialog1_ORI", true);
    return true;
}

int LabelSchemeItem(int Setting) {
    return std::clamp(Setting, 0, kLabelSchemeCount - 1);
}
