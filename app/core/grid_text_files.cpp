#include "app/core/grid_text_files.h"

#include <algorithm>
#include <filesystem>
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

// The whole file as bytes; false with the reason in Error when it cannot be read.
bool ReadTextFile(const std::string& FileName, std::string& Data, std::string& Error) {
    std::error_code ec;
    if (FileName.empty() || std::filesystem::is_directory(FileName, ec) ||
        !platform::ReadFileBytes(FileName, Data)) {
        Error = "Cannot open file \"" + FileName + "\"";
        return false;
    }
    return true;
}

bool ReadGridTxtFile(TStringGrid& Grid, std::string& FileNameField, const std::string& FileName) {
    std::string text, error;
    if (!ReadTextFile(FileName, text, error)) {
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
        for (int c = 0; c < Grid.ColCount(); ++c) {
            out += TabField(Grid.Cell(c, r));
            out += '\t';
        }
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

void FillGridFromTabText(TStringGrid& Grid, const std::string& Text) {
    std::vector<std::string_view> lines;
    std::string_view rest(Text);
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }

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

bool ReadSheetsTXTFile(TMainData& Data, const std::string& FileName) {
    return ReadGridTxtFile(Data.StringGridSheets, Data.EditSheetsFileName, FileName);
}

bool ReadPartsTXTFile(TMainData& Data, const std::string& FileName) {
    return ReadGridTxtFile(Data.StringGridParts, Data.EditPartsFileName, FileName);
}

bool WriteExportTXTFile(const std::vector<std::string>& ReportLines, const std::string& FileName) {
    std::string out;
    for (const std::string& line : ReportLines) {
        out += line;
        out += kLineEnd;
    }
    return WriteTextFile(FileName, out);
}
