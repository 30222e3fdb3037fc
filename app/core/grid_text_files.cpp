#include "app/core/grid_text_files.h"

#include <algorithm>
#include <string_view>

#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A cell as a field of a TAB line: trimmed, with TABs and line breaks inside
// turned into blanks.
std::string TabField(const std::string& Cell) {
    std::string s = Trim(Cell);
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return s;
}

// Writes Data to FileName; a failure goes to the message sink.
bool WriteTextFile(const std::string& FileName, std::string_view Data) {
    try {
        platform::WriteFileAtomic(FileName, Data);
        return true;
    } catch (const platform::IniWriteError& e) {
        platform::CurrentMessageSink().Warning("[" + std::string(e.what()) + "]");
        return false;
    }
}

// The lines of a TAB text: a line ends at LF, CR LF or CR alone; unless
// EveryLine, the lines at the end made only of TABs (empty rows) are left
// out. A UTF-8 byte order mark at the start (as spreadsheet programs write)
// is not text.
std::vector<std::string_view> TabLines(std::string_view text, bool EveryLine = false) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t blank = 0;  // lines of TABs only not yet known to be followed by data
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        if (!EveryLine && line.find_first_not_of('\t') == std::string_view::npos) {
            ++blank;
            continue;
        }
        lines.insert(lines.end(), blank, std::string_view());
        blank = 0;
        lines.push_back(line);
    }
    return lines;
}

// Removes from Text a first line that is exactly Titles (a byte order mark
// before it goes with it).
void DropTitlesLine(std::string& Text, const std::string& Titles) {
    std::string_view rest(Text);
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    if (!rest.starts_with(Titles) ||
        (rest.size() != Titles.size() && rest[Titles.size()] != '\r' && rest[Titles.size()] != '\n'))
        return;
    rest.remove_prefix(Titles.size());
    if (rest.starts_with("\r")) rest.remove_prefix(1);
    if (rest.starts_with("\n")) rest.remove_prefix(1);
    Text = std::string(rest);
}

}  // namespace

bool ReadTabTextFile(const std::string& FileName, std::string& Data, std::string& Error,
                     const std::string& Titles) {
    const std::string name = "\"" + FileName + "\"";
    switch (platform::ReadRegularFile(FileName, Data, kMaxImportFileBytes)) {
        case platform::FileState::Readable:
            if (!Titles.empty()) DropTitlesLine(Data, Titles);
            if (TabLines(Data).size() <= static_cast<std::size_t>(kMaxImportLines)) return true;
            Error = "File " + name + " has more than " + IntToStr(kMaxImportLines) +
                    " lines, the most a text import reads";
            return false;
        case platform::FileState::NotAFile:
            Error = name + " is not a file";
            return false;
        case platform::FileState::TooLarge:
            Error = "File " + name + " is larger than " +
                    IntToStr(kMaxImportFileBytes / (1024 * 1024)) +
                    " MB, the most a text import reads";
            return false;
        default:
            Error = "Cannot open file " + name;
            return false;
    }
}

namespace {

// Empties the grid, then fills it from the file; a file that cannot be read
// leaves the grid empty.
// Row R of Grid as the TAB export writes it, without its line end.
std::string TabRow(const TStringGrid& Grid, int R) {
    std::string row;
    for (int c = 0; c < Grid.ColCount(); ++c) {
        row += TabField(Grid.Cell(c, R));
        row += '\t';
    }
    return row;
}

bool ReadGridTxtFile(TStringGrid& Grid, std::string& FileNameField, const std::string& FileName) {
    Grid.ClearRows(1);
    std::string text, error;
    // The titles line that the export of this grid writes first is no row
    // (nor counted as one): a list exported by one run reads back as the
    // same rows in the next.
    if (!ReadTabTextFile(FileName, text, error, TabRow(Grid, 0))) {
        platform::CurrentMessageSink().Warning("[" + error + "]" + MsgCantReadImportTxtFile);
        return false;
    }
    FillGridFromTabText(Grid, text);
    FileNameField = FileName;
    return true;
}

}  // namespace

std::string GridTextFileText(const TStringGrid& Grid, bool WithTitles) {
    std::string out;
    for (int r = WithTitles ? 0 : 1; r < Grid.RowCount(); ++r) {
        out += TabRow(Grid, r);
        out += kLineEnd;
    }
    return out;
}

bool WriteGridTxtFile(const TStringGrid& Grid, const std::string& FileName, bool WithTitles) {
    return WriteTextFile(FileName, GridTextFileText(Grid, WithTitles));
}

bool WriteSheetsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridTxtFile(Data.StringGridSheets, FileName, WithTitles);
}

bool WritePartsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridTxtFile(Data.StringGridParts, FileName, WithTitles);
}

bool WriteOffcutsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridTxtFile(Data.StringGridOffcutRack, FileName, WithTitles);
}

bool WritePartsRackTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridTxtFile(Data.StringGridPartRack, FileName, WithTitles);
}

void FillGridFromTabText(TStringGrid& Grid, const std::string& Text, bool EveryLine) {
    std::vector<std::string_view> lines = TabLines(Text, EveryLine);
    // Empty lines at the end beyond the most a file may hold add nothing.
    if (lines.size() > static_cast<std::size_t>(kMaxImportLines)) lines.resize(kMaxImportLines);
    Grid.ClearRows(1);
    Grid.SetRowCount(std::max<int>(2, static_cast<int>(lines.size()) + 1));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        std::string_view line = lines[i];
        for (int c = 0; c < Grid.ColCount(); ++c) {
            const std::size_t tab = line.find('\t');
            Grid.SetCell(c, row, std::string(line.substr(0, tab)));
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
    }
}

// The file is noted as read, so that an export of the automatic job over
// it sees whether another program has changed it since.
bool ReadSheetsTXTFile(TMainData& Data, const std::string& FileName) {
    Data.SheetsCutFrom.clear();
    if (!ReadGridTxtFile(Data.StringGridSheets, Data.EditSheetsFileName, FileName)) return false;
    NoteListFile(Data, FileName);
    Data.SheetsSaveEnabled = false;  // a text file is never saved over as a list file
    return true;
}

bool ReadPartsTXTFile(TMainData& Data, const std::string& FileName) {
    Data.PartsCutFrom.clear();
    if (!ReadGridTxtFile(Data.StringGridParts, Data.EditPartsFileName, FileName)) return false;
    NoteListFile(Data, FileName);
    Data.PartsSaveEnabled = false;
    return true;
}

bool WriteExportTXTFile(const std::vector<std::string>& ReportLines, const std::string& FileName) {
    std::string out;
    for (const std::string& line : ReportLines) {
        out += line;
        out += kLineEnd;
    }
    return WriteTextFile(FileName, out);
}
