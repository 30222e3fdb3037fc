#include "platform/xlsx_file.h"

#include "platform/inifile.h"

#include <expat.h>
#include <unzip.h>
#include <xlsxwriter.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace platform {

namespace {

// Shared strings beyond this many bytes are refused rather than held.
constexpr std::size_t kMaxSharedStringBytes = 64u << 20;

std::string Latin1ToUtf8(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (unsigned char ch : Text) {
        if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else {
            out += static_cast<char>(0xC0 | (ch >> 6));
            out += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return out;
}

// Appends UTF-8 text (valid: expat checked it) as Latin-1 bytes.
void AppendUtf8AsLatin1(std::string& Out, std::string_view Text) {
    for (std::size_t i = 0; i < Text.size();) {
        const unsigned char ch = static_cast<unsigned char>(Text[i]);
        int len = ch < 0x80 ? 1 : ch < 0xE0 ? 2 : ch < 0xF0 ? 3 : 4;
        if (len == 1) {
            Out += static_cast<char>(ch);
        } else if (len == 2 && i + 1 < Text.size()) {
            const unsigned code = ((ch & 0x1Fu) << 6) | (static_cast<unsigned char>(Text[i + 1]) & 0x3Fu);
            Out += code <= 0xFF ? static_cast<char>(code) : '?';
        } else {
            Out += '?';
        }
        i += static_cast<std::size_t>(len);
    }
}

// The local part of an expat name "namespace|local".
std::string_view LocalName(const XML_Char* Name) {
    std::string_view n(Name);
    const std::size_t bar = n.rfind('|');
    return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

const XML_Char* Attribute(const XML_Char** Attrs, std::string_view Local) {
    for (int i = 0; Attrs[i]; i += 2)
        if (LocalName(Attrs[i]) == Local) return Attrs[i + 1];
    return nullptr;
}

// One workbook file opened as a zip archive.
class TXlsxArchive {
  public:
    explicit TXlsxArchive(const std::string& FileName) : fileName_(FileName) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(FileName, ec)) Fail("the file cannot be opened");
        zip_ = unzOpen64(FileName.c_str());
        if (!zip_) Fail("it is not an .xlsx workbook (not a zip archive); save it as .xlsx first");
    }
    ~TXlsxArchive() {
        if (zip_) unzClose(zip_);
    }
    TXlsxArchive(const TXlsxArchive&) = delete;
    TXlsxArchive& operator=(const TXlsxArchive&) = delete;

    [[noreturn]] void Fail(const std::string& Reason) const {
        throw XlsxError("Cannot read spreadsheet \"" + fileName_ + "\": " + Reason);
    }

    bool HasPart(const std::string& Part) { return unzLocateFile(zip_, Part.c_str(), 2) == UNZ_OK; }

    // Streams part Part through an expat parser whose handlers Handler sets
    // up. Stop() in a handler ends the reading early without an error.
    struct TParse {
        XML_Parser Parser;
        bool Stopped = false;
        void Stop() {
            Stopped = true;
            XML_StopParser(Parser, XML_FALSE);
        }
    };
    void Parse(const std::string& Part, void* UserData, XML_StartElementHandler Start,
               XML_EndElementHandler End, XML_CharacterDataHandler Chars, TParse& State) {
        if (!HasPart(Part)) Fail("the part \"" + Part + "\" is missing");
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            Fail("the part \"" + Part + "\" is damaged");
        if (info.flag & 1u) Fail("it is encrypted");
        if (unzOpenCurrentFile(zip_) != UNZ_OK) Fail("the part \"" + Part + "\" is damaged");
        std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
            XML_ParserCreateNS(nullptr, '|'), &XML_ParserFree);
        State.Parser = parser.get();
        XML_SetUserData(parser.get(), UserData);
        XML_SetElementHandler(parser.get(), Start, End);
        XML_SetCharacterDataHandler(parser.get(), Chars);
        std::string error;
        char buffer[1 << 16];
        for (;;) {
            const int n = unzReadCurrentFile(zip_, buffer, sizeof buffer);
            if (n < 0) {
                error = "the part \"" + Part + "\" is damaged";
                break;
            }
            const XML_Status status = XML_Parse(parser.get(), buffer, n, n == 0);
            if (State.Stopped) break;
            if (status != XML_STATUS_OK) {
                error = "bad XML in \"" + Part + "\" at line " +
                        std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                        XML_ErrorString(XML_GetErrorCode(parser.get()));
                break;
            }
            if (n == 0) break;
        }
        const int closed = unzCloseCurrentFile(zip_);
        if (!error.empty()) Fail(error);
        if (!State.Stopped && closed != UNZ_OK) Fail("the part \"" + Part + "\" is damaged");
    }

  private:
    std::string fileName_;
    unzFile zip_ = nullptr;
};

// Handlers that keep the parse state in a std::function-free struct.
template <class T>
void XMLCALL StartThunk(void* U, const XML_Char* Name, const XML_Char** Attrs) {
    static_cast<T*>(U)->Start(LocalName(Name), Attrs);
}
template <class T>
void XMLCALL EndThunk(void* U, const XML_Char* Name) {
    static_cast<T*>(U)->End(LocalName(Name));
}
template <class T>
void XMLCALL CharsThunk(void* U, const XML_Char* Text, int Len) {
    static_cast<T*>(U)->Chars(std::string_view(Text, static_cast<std::size_t>(Len)));
}
template <class T>
void ParsePart(TXlsxArchive& Zip, const std::string& Part, T& Reader) {
    Zip.Parse(Part, &Reader, &StartThunk<T>, &EndThunk<T>, &CharsThunk<T>, Reader.State);
}

struct TWorkbookReader {
    TXlsxArchive::TParse State;
    std::vector<std::string> Names, Ids;
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name != "sheet") return;
        const XML_Char* n = Attribute(Attrs, "name");
        const XML_Char* id = Attribute(Attrs, "id");
        std::string name;
        AppendUtf8AsLatin1(name, n ? n : "");
        Names.push_back(std::move(name));
        Ids.push_back(id ? id : "");
    }
    void End(std::string_view) {}
    void Chars(std::string_view) {}
};

struct TRelsReader {
    TXlsxArchive::TParse State;
    std::unordered_map<std::string, std::pair<std::string, std::string>> Targets;  // id -> type, target
    std::string SharedStrings;
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name != "Relationship") return;
        const XML_Char* id = Attribute(Attrs, "Id");
        const XML_Char* type = Attribute(Attrs, "Type");
        const XML_Char* target = Attribute(Attrs, "Target");
        if (!id || !type || !target) return;
        std::string t(target);
        t = t.starts_with('/') ? t.substr(1) : "xl/" + t;
        if (std::string_view(type).ends_with("/sharedStrings")) SharedStrings = t;
        Targets[id] = {type, t};
    }
    void End(std::string_view) {}
    void Chars(std::string_view) {}
};

struct TSharedStringsReader {
    TXlsxArchive::TParse State;
    std::vector<std::string> Strings;
    std::size_t Bytes = 0;
    bool inSi = false, inT = false;
    int inPhonetic = 0;
    void Start(std::string_view Name, const XML_Char**) {
        if (Name == "si") {
            inSi = true;
            Strings.emplace_back();
        } else if (Name == "rPh") {
            ++inPhonetic;
        } else if (Name == "t") {
            inT = inSi && inPhonetic == 0;
        }
    }
    void End(std::string_view Name) {
        if (Name == "si") inSi = false;
        else if (Name == "rPh") --inPhonetic;
        else if (Name == "t") inT = false;
    }
    void Chars(std::string_view Text) {
        if (!inT) return;
        Bytes += Text.size();
        if (Bytes > kMaxSharedStringBytes) State.Stop();
        AppendUtf8AsLatin1(Strings.back(), Text);
    }
};

// A cell reference such as "AB12": column and row from 1; false when it is
// not a reference.
bool ParseCellRef(std::string_view Ref, long& Col, long& Row) {
    std::size_t i = 0;
    Col = 0;
    while (i < Ref.size() && Ref[i] >= 'A' && Ref[i] <= 'Z' && i < 4) Col = Col * 26 + (Ref[i++] - 'A' + 1);
    if (i == 0 || i == Ref.size()) return false;
    const auto [end, ec] = std::from_chars(Ref.data() + i, Ref.data() + Ref.size(), Row);
    return ec == std::errc() && end == Ref.data() + Ref.size();
}

std::string NumberText(std::string_view Value, bool& Ok) {
    double d = 0;
    const auto [end, ec] = std::from_chars(Value.data(), Value.data() + Value.size(), d);
    Ok = ec == std::errc() && end == Value.data() + Value.size();
    if (!Ok) return {};
    if (d == 0) d = 0;  // no "-0"
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, d);
    return std::string(buffer, res.ptr);
}

struct TSheetReader {
    TXlsxArchive::TParse State;
    const std::vector<std::string>* Shared = nullptr;
    int MaxRows = 0, MaxCols = 0;
    std::vector<std::vector<std::string>>* Cells = nullptr;

    long row = 0, col = 0;
    std::string type, ref, value;
    bool inCell = false, inV = false, inInlineT = false, formula = false;
    std::string error;

    void Refuse(std::string Reason) {
        if (error.empty()) error = std::move(Reason);
        State.Stop();
    }
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (!error.empty()) return;
        if (Name == "row") {
            const XML_Char* r = Attribute(Attrs, "r");
            long n = row + 1;
            if (r) {
                const std::string_view s(r);
                const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
                if (ec != std::errc() || end != s.data() + s.size()) n = -1;
            }
            if (n <= row || n > kXlsxMaxRows) return Refuse("row \"" + std::string(r ? r : "") + "\" is past the sheet's limits or out of order");
            row = n;
            col = 0;
            if (row > MaxRows) State.Stop();
        } else if (Name == "c") {
            const XML_Char* r = Attribute(Attrs, "r");
            const XML_Char* t = Attribute(Attrs, "t");
            type = t ? t : "n";
            ref = r ? r : "";
            long c = col + 1, rr = row;
            if (r && !ParseCellRef(ref, c, rr)) return Refuse("bad cell reference \"" + ref + "\"");
            if (rr != row || c <= col || c > kXlsxMaxColumns)
                return Refuse("cell reference \"" + ref + "\" is past the sheet's limits or out of order");
            col = c;
            if (ref.empty()) ref = "R" + std::to_string(row) + "C" + std::to_string(col);
            inCell = true;
            formula = false;
            value.clear();
        } else if (inCell && Name == "v") {
            inV = true;
        } else if (inCell && Name == "t") {
            inInlineT = true;
        } else if (inCell && Name == "f") {
            formula = true;
        }
    }
    void End(std::string_view Name) {
        if (!error.empty()) return;
        if (Name == "v") inV = false;
        else if (Name == "t") inInlineT = false;
        else if (Name == "c" && inCell) EndCell();
    }
    void Chars(std::string_view Text) {
        if (inV || (inInlineT && type == "inlineStr")) value.append(Text);
    }
    void EndCell() {
        inCell = false;
        if (formula) return Refuse("cell " + ref + " holds a formula; save its values instead");
        std::string text;
        if (type == "n") {
            bool ok = true;
            if (!value.empty()) text = NumberText(value, ok);
            if (!ok) return Refuse("cell " + ref + " holds no number");
        } else if (type == "s") {
            std::size_t i = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), i);
            if (ec != std::errc() || end != value.data() + value.size() || i >= Shared->size())
                return Refuse("cell " + ref + " names a missing shared string");
            text = (*Shared)[i];
        } else if (type == "inlineStr") {
            AppendUtf8AsLatin1(text, value);
        } else if (type == "b") {
            if (value != "0" && value != "1") return Refuse("cell " + ref + " holds no boolean");
            text = value == "1" ? "TRUE" : "FALSE";
        } else {
            return Refuse("cell " + ref + " holds a value of type \"" + type + "\" that cannot be imported");
        }
        if (row <= MaxRows && col <= MaxCols) (*Cells)[row - 1][col - 1] = std::move(text);
    }
};

}  // namespace

TXlsxSheet ReadXlsxSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns) {
    TXlsxArchive zip(FileName);
    TWorkbookReader book;
    ParsePart(zip, "xl/workbook.xml", book);
    if (book.Names.empty()) zip.Fail("it has no sheet");
    if (SheetIndex < 0 || SheetIndex >= static_cast<int>(book.Names.size()))
        zip.Fail("it has no sheet number " + std::to_string(SheetIndex + 1));

    TRelsReader rels;
    ParsePart(zip, "xl/_rels/workbook.xml.rels", rels);
    const auto target = rels.Targets.find(book.Ids[static_cast<std::size_t>(SheetIndex)]);
    if (target == rels.Targets.end()) zip.Fail("the part of sheet \"" + book.Names[SheetIndex] + "\" is missing");
    if (!target->second.first.ends_with("/worksheet"))
        zip.Fail("sheet \"" + book.Names[SheetIndex] + "\" is not a worksheet");

    TSharedStringsReader shared;
    if (!rels.SharedStrings.empty()) {
        ParsePart(zip, rels.SharedStrings, shared);
        if (shared.State.Stopped) zip.Fail("its shared strings are too large");
    }

    TXlsxSheet result;
    result.SheetNames = book.Names;
    result.Cells.assign(static_cast<std::size_t>(std::max(0, MaxRows)),
                        std::vector<std::string>(static_cast<std::size_t>(std::max(0, MaxColumns))));
    TSheetReader sheet;
    sheet.Shared = &shared.Strings;
    sheet.MaxRows = MaxRows;
    sheet.MaxCols = MaxColumns;
    sheet.Cells = &result.Cells;
    ParsePart(zip, target->second.second, sheet);
    if (!sheet.error.empty()) zip.Fail(sheet.error);
    return result;
}

void WriteXlsxFile(const std::string& FileName, const std::string& SheetName,
                   const std::vector<std::vector<std::string>>& Rows) {
    // The library writes only to a named file: the workbook goes to a scratch
    // file of this process first, then through WriteFileAtomic to its place,
    // which keeps links, permission bits and whole-or-nothing like every
    // other file the program writes.
    static std::atomic<unsigned> serial{0};
    std::error_code ec;
    const std::string tmp = (std::filesystem::temp_directory_path(ec) /
                             ("tessaly-" + std::to_string(::getpid()) + "-" +
                              std::to_string(serial++) + ".xlsx"))
                                .string();
    auto fail = [&](const std::string& Reason) {
        std::remove(tmp.c_str());
        throw XlsxError("Cannot write file \"" + FileName + "\": " + Reason);
    };
    if (Rows.size() > static_cast<std::size_t>(kXlsxMaxRows)) fail("too many rows for a worksheet");
    lxw_workbook_options options{};
    lxw_workbook* book = workbook_new_opt(tmp.c_str(), &options);
    if (!book) fail("cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(book, Latin1ToUtf8(SheetName).c_str());
    lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED;
    for (std::size_t r = 0; r < Rows.size() && error == LXW_NO_ERROR; ++r) {
        if (Rows[r].size() > static_cast<std::size_t>(kXlsxMaxColumns)) error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
        for (std::size_t c = 0; c < Rows[r].size() && error == LXW_NO_ERROR; ++c)
            if (!Rows[r][c].empty())
                error = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                               Latin1ToUtf8(Rows[r][c]).c_str(), nullptr);
    }
    const lxw_error closed = workbook_close(book);
    if (error != LXW_NO_ERROR) fail(lxw_strerror(error));
    if (closed != LXW_NO_ERROR) fail(lxw_strerror(closed));
    std::string bytes;
    if (!ReadFileBytes(tmp, bytes)) fail("cannot read back the workbook");
    std::remove(tmp.c_str());
    try {
        WriteFileAtomic(FileName, bytes);
    } catch (const IniWriteError& e) {
        throw XlsxError(e.what());
    }
}

}  // namespace platform
