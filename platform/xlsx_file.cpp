#include "platform/xlsx_file.h"

#include "platform/inifile.h"
#include "platform/text_encoding.h"

#include <expat.h>
#include <unzip.h>
#include <xlsxwriter.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace platform {

namespace {

// How to make a workbook this reader takes, for the messages that refuse another file.
constexpr const char* kSaveAsXlsx =
    "open it in the spreadsheet program and save it as an Excel 2007-365 workbook (.xlsx), "
    "then import that file";

// Relationships of the workbook part beyond this many are refused.
constexpr std::size_t kMaxRelationships = 10 * kXlsxMaxSheets;
// Raw text of one cell beyond this many bytes is refused before it is decoded:
// each character may take an escape of seven bytes ("_x000D_").
constexpr std::size_t kMaxRawCellBytes = 7 * kXlsxMaxCellChars;


// The value of the escape "_xHHHH_" at Text[i], or -1 when there is none.
long EscapeAt(std::string_view Text, std::size_t i) {
    if (i + 7 > Text.size() || Text[i] != '_' || Text[i + 1] != 'x' || Text[i + 6] != '_') return -1;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(Text.data() + i + 2, Text.data() + i + 6, value, 16);
    return ec == std::errc() && end == Text.data() + i + 6 ? static_cast<long>(value) : -1;
}

// Cell text with the escapes "_xHHHH_" (UTF-16 code units, "_x005F_" for a
// plain "_") replaced by their characters.
std::string DecodeEscapes(std::string_view Text) {
    if (Text.find("_x") == std::string_view::npos) return std::string(Text);
    std::string out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size();) {
        long code = EscapeAt(Text, i);
        std::size_t used = 7;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const long low = EscapeAt(Text, i + 7);
            code = low >= 0xDC00 && low <= 0xDFFF ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00) : -1;
            used = 14;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = -1;
        }
        if (code < 0) {
            out += Text[i++];
            continue;
        }
        AppendUtf8(out, static_cast<char32_t>(code));
        i += used;
    }
    return out;
}

// Text as the writer must store it so that DecodeEscapes gives it back: a
// plain "_" that starts something looking like an escape is written "_x005F_".
std::string EscapeForWriting(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (EscapeAt(Text, i) >= 0) out += "_x005F";
        out += Text[i];
    }
    return out;
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

// The start of a file that is no zip archive: an old binary workbook (.xls,
// an OLE compound file) or anything else.
std::string NotAZipReason(const std::string& FileName) {
    std::string head;
    if (ReadRegularFile(FileName, head, 1u << 20) == FileState::Readable && head.size() >= 8 &&
        head.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0)
        return std::string("it is an old Excel workbook (.xls), not an .xlsx workbook; ") + kSaveAsXlsx;
    return std::string("it is not an .xlsx workbook; ") + kSaveAsXlsx;
}

// One workbook file opened as a zip archive.
class TXlsxArchive {
  public:
    explicit TXlsxArchive(const std::string& FileName) : fileName_(FileName) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(FileName, ec)) Fail("the file cannot be opened");
        zip_ = unzOpen64(FileName.c_str());
        if (!zip_) Fail(NotAZipReason(FileName));
        if (!HasPart("xl/workbook.xml")) {
            const bool openDocument = HasPart("content.xml") || HasPart("mimetype");
            unzClose(zip_);  // the destructor of an object not made does not run
            zip_ = nullptr;
            if (openDocument)
                Fail(std::string("it is an OpenDocument file (.ods), not an .xlsx workbook; ") + kSaveAsXlsx);
            Fail(std::string("it is not an .xlsx workbook (it has no part \"xl/workbook.xml\"); ") + kSaveAsXlsx);
        }
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

    // The state of one part's reading. Stop() ends it early without an
    // error, Refuse() with one; handlers are not called after either.
    struct TParse {
        XML_Parser Parser = nullptr;
        bool Stopped = false;
        int Depth = 0;
        std::string Error;
        void Stop() {
            if (!Stopped) XML_StopParser(Parser, XML_FALSE);
            Stopped = true;
        }
        void Refuse(std::string Reason) {
            if (Error.empty()) Error = std::move(Reason);
            Stop();
        }
    };
    // Streams part Part through an expat parser with the given handlers.
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
        if (!parser) {
            unzCloseCurrentFile(zip_);
            throw std::bad_alloc();
        }
        State.Parser = parser.get();
        XML_SetUserData(parser.get(), UserData);
        XML_SetElementHandler(parser.get(), Start, End);
        XML_SetCharacterDataHandler(parser.get(), Chars);
        std::string error;
        std::uint64_t unpacked = 0;
        auto buffer = std::make_unique<char[]>(1 << 16);
        for (;;) {
            const int n = unzReadCurrentFile(zip_, buffer.get(), 1 << 16);
            if (n < 0) {
                error = "the part \"" + Part + "\" is damaged";
                break;
            }
            unpacked += static_cast<std::uint64_t>(n);
            if (unpacked > kXlsxMaxPartBytes) {
                error = "the part \"" + Part + "\" unpacks to more than " + Megabytes(kXlsxMaxPartBytes) +
                        ", the most a part may hold";
                break;
            }
            const XML_Status status = XML_Parse(parser.get(), buffer.get(), n, n == 0);
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
        if (error.empty() && !State.Error.empty()) error = State.Error;
        if (!error.empty()) Fail(error);
        if (!State.Stopped && closed != UNZ_OK) Fail("the part \"" + Part + "\" is damaged");
    }

  private:
    std::string fileName_;
    unzFile zip_ = nullptr;
};

// Handlers that keep the parse state in a plain struct. Elements nested
// deeper than kXlsxMaxDepth end the reading.
template <class T>
void XMLCALL StartThunk(void* U, const XML_Char* Name, const XML_Char** Attrs) {
    T& reader = *static_cast<T*>(U);
    if (reader.State.Stopped) return;
    if (++reader.State.Depth > kXlsxMaxDepth)
        return reader.State.Refuse("its elements are nested more than " + std::to_string(kXlsxMaxDepth) +
                                   " deep, the most a part may nest");
    reader.Start(LocalName(Name), Attrs);
}
template <class T>
void XMLCALL EndThunk(void* U, const XML_Char* Name) {
    T& reader = *static_cast<T*>(U);
    if (reader.State.Stopped) return;
    --reader.State.Depth;
    reader.End(LocalName(Name));
}
template <class T>
void XMLCALL CharsThunk(void* U, const XML_Char* Text, int Len) {
    T& reader = *static_cast<T*>(U);
    if (reader.State.Stopped) return;
    reader.Chars(std::string_view(Text, static_cast<std::size_t>(Len)));
}
template <class T>
void ParsePart(TXlsxArchive& Zip, const std::string& Part, T& Reader) {
    Zip.Parse(Part, &Reader, &StartThunk<T>, &EndThunk<T>, &CharsThunk<T>, Reader.State);
}

// An attribute value of a boolean type ("1" or "true").
bool IsTrue(const XML_Char* Value) {
    return Value && (std::string_view(Value) == "1" || std::string_view(Value) == "true");
}

struct TWorkbookReader {
    TXlsxArchive::TParse State;
    std::vector<std::string> Names, Ids;
    bool Date1904 = false;
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name == "workbookPr") Date1904 = IsTrue(Attribute(Attrs, "date1904"));
        if (Name != "sheet") return;
        if (Names.size() >= kXlsxMaxSheets)
            return State.Refuse("it has more than " + std::to_string(kXlsxMaxSheets) +
                                " sheets, the most a workbook may have");
        const XML_Char* n = Attribute(Attrs, "name");
        const XML_Char* id = Attribute(Attrs, "id");
        const std::string_view name = n ? n : "";
        if (Utf8Chars(name) > kXlsxMaxCellChars)
            return State.Refuse("a sheet name is longer than " + std::to_string(kXlsxMaxCellChars) +
                                " characters");
        Names.emplace_back(name);
        Ids.push_back(id ? id : "");
    }
    void End(std::string_view) {}
    void Chars(std::string_view) {}
};

struct TRelsReader {
    TXlsxArchive::TParse State;
    std::unordered_map<std::string, std::pair<std::string, std::string>> Targets;  // id -> type, target
    std::string SharedStrings, Styles;
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name != "Relationship") return;
        if (Targets.size() >= kMaxRelationships)
            return State.Refuse("its workbook has more than " + std::to_string(kMaxRelationships) +
                                " relationships");
        const XML_Char* id = Attribute(Attrs, "Id");
        const XML_Char* type = Attribute(Attrs, "Type");
        const XML_Char* target = Attribute(Attrs, "Target");
        if (!id || !type || !target) return;
        std::string t(target);
        t = t.starts_with('/') ? t.substr(1) : "xl/" + t;
        if (std::string_view(type).ends_with("/sharedStrings")) SharedStrings = t;
        if (std::string_view(type).ends_with("/styles")) Styles = t;
        Targets[id] = {type, t};
    }
    void End(std::string_view) {}
    void Chars(std::string_view) {}
};

struct TSharedStringsReader {
    TXlsxArchive::TParse State;
    std::vector<std::string> Strings;
    std::string raw;
    bool inSi = false, inT = false;
    int inPhonetic = 0;
    void Start(std::string_view Name, const XML_Char**) {
        if (Name == "si") {
            if (Strings.size() >= kXlsxMaxSharedStrings)
                return State.Refuse("it holds more than " + std::to_string(kXlsxMaxSharedStrings) +
                                    " shared strings, the most a workbook may hold");
            inSi = true;
            raw.clear();
            Strings.emplace_back();
        } else if (Name == "rPh") {
            ++inPhonetic;
        } else if (Name == "t") {
            inT = inSi && inPhonetic == 0;
        }
    }
    void End(std::string_view Name) {
        if (Name == "si" && inSi) {
            inSi = false;
            Strings.back() = DecodeEscapes(raw);
            if (Utf8Chars(Strings.back()) > kXlsxMaxCellChars) TooLong();
        } else if (Name == "rPh") {
            --inPhonetic;
        } else if (Name == "t") {
            inT = false;
        }
    }
    void Chars(std::string_view Text) {
        if (!inT) return;
        if (raw.size() + Text.size() > kMaxRawCellBytes) return TooLong();
        raw.append(Text);
    }
    void TooLong() {
        State.Refuse("shared string " + std::to_string(Strings.size()) + " is longer than " +
                     std::to_string(kXlsxMaxCellChars) + " characters, the most a cell may hold");
    }
};

// Which cell formats (the cellXfs a cell's "s" names) show dates.
struct TStylesReader {
    TXlsxArchive::TParse State;
    std::unordered_map<unsigned, std::string> Codes;  // numFmtId -> formatCode
    std::vector<unsigned> FormatIds;                   // of each cell format
    bool inCellXfs = false;
    // A numFmtId; an unreadable one counts as General.
    static unsigned Id(const XML_Char* Value) {
        unsigned id = 0;
        if (Value) std::from_chars(Value, Value + std::strlen(Value), id);
        return id;
    }
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name == "numFmt") {
            const XML_Char* code = Attribute(Attrs, "formatCode");
            Codes[Id(Attribute(Attrs, "numFmtId"))] = code ? code : "";
        } else if (Name == "cellXfs") {
            inCellXfs = true;
        } else if (Name == "xf" && inCellXfs) {
            FormatIds.push_back(Id(Attribute(Attrs, "numFmtId")));
        }
    }
    void End(std::string_view Name) {
        if (Name == "cellXfs") inCellXfs = false;
    }
    void Chars(std::string_view) {}
    std::vector<bool> DateFormats() const {
        std::vector<bool> dates(FormatIds.size());
        for (std::size_t k = 0; k < FormatIds.size(); ++k) {
            const auto code = Codes.find(FormatIds[k]);
            dates[k] = IsDateFormat(FormatIds[k], code == Codes.end() ? nullptr : &code->second);
        }
        return dates;
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

// A stored number as a spreadsheet program shows it: at most 15 significant
// digits, so that 0.1 + 0.2 reads "0.3"; very large or small values in "E"
// notation ("1E+20").
std::string NumberText(std::string_view Value, bool& Ok) {
    double d = 0;
    const auto [end, ec] = std::from_chars(Value.data(), Value.data() + Value.size(), d);
    Ok = ec == std::errc() && end == Value.data() + Value.size() && std::isfinite(d);
    if (!Ok) return {};
    return SpreadsheetNumberText(d);
}

struct TSheetReader {
    TXlsxArchive::TParse State;
    const std::vector<std::string>* Shared = nullptr;
    const std::vector<bool>* DateFormats = nullptr;  // of each cell format
    bool Date1904 = false;
    long MaxRows = 0, MaxCols = 0;
    std::vector<std::vector<std::string>>* Cells = nullptr;
    bool MoreRows = false;

    long row = 0, col = 0;
    std::size_t style = 0;
    std::string type, ref, value;
    bool inSheetData = false, inRow = false, inCell = false, inV = false, hasV = false, inInlineT = false,
         formula = false;
    int inPhonetic = 0;
    std::uint64_t textHeld = 0;

    void Refuse(std::string Reason) { State.Refuse(std::move(Reason)); }
    void Start(std::string_view Name, const XML_Char** Attrs) {
        if (Name == "sheetData") {
            inSheetData = true;
        } else if (!inSheetData) {
            return;
        } else if (Name == "row") {
            const XML_Char* r = Attribute(Attrs, "r");
            long n = row + 1;
            if (r) {
                const std::string_view s(r);
                const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
                if (ec != std::errc() || end != s.data() + s.size()) n = -1;
            }
            if (n <= row || n > kXlsxMaxRows)
                return Refuse("row \"" + std::string(r ? r : "") + "\" is past the sheet's limits or out of order");
            row = n;
            col = 0;
            inRow = true;
        } else if (Name == "c") {
            const XML_Char* r = Attribute(Attrs, "r");
            const XML_Char* t = Attribute(Attrs, "t");
            const XML_Char* st = Attribute(Attrs, "s");
            type = t ? t : "n";
            style = 0;
            if (st) std::from_chars(st, st + std::strlen(st), style);
            ref = r ? r : "";
            if (!inRow)
                return Refuse((ref.empty() ? std::string("a cell without a reference") : "cell \"" + ref + "\"") +
                              " lies outside a row");
            long c = col + 1, rr = row;
            if (r && !ParseCellRef(ref, c, rr)) return Refuse("bad cell reference \"" + ref + "\"");
            if (rr != row || c <= col || c > kXlsxMaxColumns)
                return Refuse("cell reference \"" + ref + "\" is past the sheet's limits or out of order");
            col = c;
            if (ref.empty()) ref = "R" + std::to_string(row) + "C" + std::to_string(col);
            inCell = true;
            formula = hasV = inV = inInlineT = false;
            inPhonetic = 0;
            value.clear();
        } else if (inCell && Name == "v") {
            inV = hasV = true;
        } else if (inCell && Name == "rPh") {
            ++inPhonetic;
        } else if (inCell && Name == "t") {
            inInlineT = inPhonetic == 0;
        } else if (inCell && Name == "f") {
            formula = true;
        }
    }
    void End(std::string_view Name) {
        if (!inSheetData) return;
        if (Name == "v") inV = false;
        else if (Name == "t") inInlineT = false;
        else if (Name == "rPh") --inPhonetic;
        else if (Name == "c" && inCell) EndCell();
        else if (Name == "row") inRow = false;
        else if (Name == "sheetData") inSheetData = false;
    }
    void Chars(std::string_view Text) {
        if (!inV && !(inInlineT && type == "inlineStr")) return;
        if (value.size() + Text.size() > kMaxRawCellBytes) return TooLong();
        value.append(Text);
    }
    void TooLong() {
        Refuse("cell " + ref + " holds more than " + std::to_string(kXlsxMaxCellChars) +
               " characters, the most a cell may hold");
    }
    // The shared string a cell names, or null.
    const std::string* SharedString() const {
        std::size_t i = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), i);
        if (ec != std::errc() || end != value.data() + value.size() || i >= Shared->size()) return nullptr;
        return &(*Shared)[i];
    }
    void EndCell() {
        inCell = false;
        if (col > MaxCols) return;
        if (row > MaxRows) {
            // A value below the rows read: the reading stops at its limit.
            const std::string* shared = type == "s" ? SharedString() : nullptr;
            if (type == "s" ? shared && !shared->empty() : !value.empty()) {
                MoreRows = true;
                State.Stop();
            }
            return;
        }
        // A formula saved by a program that does not calculate has no value
        // element or an empty one; only a text result may be empty.
        if (formula && type != "inlineStr" && (!hasV || (value.empty() && type != "str")))
            return Refuse("cell " + ref + " holds a formula with no stored value; recalculate and save the "
                          "workbook in the spreadsheet program first");
        std::string text;
        if (type == "n") {
            bool ok = true;
            if (!value.empty()) text = NumberText(value, ok);
            if (!ok) return Refuse("cell " + ref + " holds no number");
            if (!value.empty() && style < DateFormats->size() && (*DateFormats)[style]) {
                double d = 0;
                std::from_chars(value.data(), value.data() + value.size(), d);
                text = SpreadsheetDateText(d, Date1904);
            }
        } else if (type == "s") {
            const std::string* shared = SharedString();
            if (!shared) return Refuse("cell " + ref + " names a missing shared string");
            text = *shared;
        } else if (type == "inlineStr" || type == "str") {
            text = DecodeEscapes(value);
            if (Utf8Chars(text) > kXlsxMaxCellChars) return TooLong();
        } else if (type == "b") {
            if (value != "0" && value != "1") return Refuse("cell " + ref + " holds no boolean");
            text = value == "1" ? "TRUE" : "FALSE";
        } else if (type == "e") {
            return Refuse("cell " + ref + " holds the error value " + (value.empty() ? "" : value + " ") +
                          "instead of a value");
        } else {
            return Refuse("cell " + ref + " holds a value of type \"" + type + "\" that cannot be imported");
        }
        textHeld += text.size();
        if (textHeld > kXlsxMaxTextHeld)
            return Refuse("the cells read hold more than " + Megabytes(kXlsxMaxTextHeld) +
                          " of text, the most a sheet may hold");
        (*Cells)[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(col - 1)] = std::move(text);
    }
};

// A folder of this process alone (mode 0700, a fresh name made by mkdtemp),
// removed with what is left in it.
class TPrivateFolder {
  public:
    TPrivateFolder() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string pattern = (base / "tessaly-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TPrivateFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;
    // Empty when the folder could not be made.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace

std::string Megabytes(std::uint64_t Bytes) { return std::to_string(Bytes >> 20) + " MB"; }

// Characters of UTF-8 text (bytes that start a character).
std::size_t Utf8Chars(std::string_view Text) {
    return static_cast<std::size_t>(std::count_if(Text.begin(), Text.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
}

std::string SpreadsheetNumberText(double Value) {
    if (Value == 0) Value = 0;  // no "-0"
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::general, 15);
    std::string text(buffer, res.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

bool IsDateFormat(unsigned FormatId, const std::string* Code) {
    if (!Code)
        return (FormatId >= 14 && FormatId <= 22) || (FormatId >= 27 && FormatId <= 36) ||
               (FormatId >= 45 && FormatId <= 47) || (FormatId >= 50 && FormatId <= 58);
    const std::string_view code(*Code);
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(code[i])));
        if (c == '"') {  // quoted text
            const std::size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos) return false;
            i = end;
        } else if (c == '\\' || c == '_' || c == '*') {  // the next character is text, a width or a fill
            ++i;
        } else if (c == '[') {  // a colour, a condition, a currency, or an elapsed time
            const std::size_t end = code.find(']', i + 1);
            if (end == std::string_view::npos) return false;
            const std::string_view inner = code.substr(i + 1, end - i - 1);
            if (!inner.empty() && inner.find_first_not_of(inner[0]) == std::string_view::npos &&
                std::string_view("hHmMsS").find(inner[0]) != std::string_view::npos)
                return true;
            i = end;
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') {
            return true;
        }
    }
    return false;
}

std::string SpreadsheetDateText(double Serial, bool Date1904) {
    // The last day, 9999-12-31, in either system.
    const double last = Date1904 ? 2957003 : 2958465;
    if (!(Serial >= 0 && Serial < last + 1)) return SpreadsheetNumberText(Serial);
    long days = static_cast<long>(std::floor(Serial));
    long seconds = std::lround((Serial - static_cast<double>(days)) * 86400);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    if (days > last) return SpreadsheetNumberText(Serial);
    auto two = [](long n) { return std::string(1, char('0' + n / 10)) + char('0' + n % 10); };
    const std::string time = two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
    if (!Date1904 && days == 0) return time;
    std::string date;
    if (!Date1904 && days == 60) {
        date = "1900-02-29";
    } else {
        // Days since 1970-01-01, then the civil date of that day.
        long z = Date1904 ? days - 24107 : days - (days < 60 ? 25568 : 25569);
        z += 719468;
        const long era = (z >= 0 ? z : z - 146096) / 146097;
        const long doe = z - era * 146097;
        const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const long mp = (5 * doy + 2) / 153;
        const long day = doy - (153 * mp + 2) / 5 + 1;
        const long month = mp < 10 ? mp + 3 : mp - 9;
        const long year = yoe + era * 400 + (month <= 2);
        date = std::to_string(year) + "-" + two(month) + "-" + two(day);
    }
    return seconds ? date + " " + time : date;
}

TXlsxSheet ReadXlsxSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns) {
    MaxRows = std::max(0, MaxRows);
    MaxColumns = std::max(0, MaxColumns);
    if (static_cast<std::uint64_t>(MaxRows) * static_cast<std::uint64_t>(MaxColumns) > kXlsxMaxCellsHeld)
        throw XlsxError("Cannot read spreadsheet \"" + FileName + "\": more than " +
                        std::to_string(kXlsxMaxCellsHeld) + " cells asked for, the most a reading holds");
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
    if (!rels.SharedStrings.empty()) ParsePart(zip, rels.SharedStrings, shared);
    TStylesReader styles;
    if (!rels.Styles.empty() && zip.HasPart(rels.Styles)) ParsePart(zip, rels.Styles, styles);
    const std::vector<bool> dateFormats = styles.DateFormats();

    TXlsxSheet result;
    result.SheetNames = std::move(book.Names);
    result.Cells.assign(static_cast<std::size_t>(MaxRows),
                        std::vector<std::string>(static_cast<std::size_t>(MaxColumns)));
    TSheetReader sheet;
    sheet.Shared = &shared.Strings;
    sheet.DateFormats = &dateFormats;
    sheet.Date1904 = book.Date1904;
    sheet.MaxRows = MaxRows;
    sheet.MaxCols = MaxColumns;
    sheet.Cells = &result.Cells;
    ParsePart(zip, target->second.second, sheet);
    result.MoreRows = sheet.MoreRows;
    return result;
}

void WriteXlsxFile(const std::string& FileName, const std::string& SheetName,
                   const std::vector<std::vector<std::string>>& Rows) {
    // The library writes only to a named file: the workbook goes to a folder
    // that only this process can enter, then through WriteFileAtomic to its
    // place, which keeps links, permission bits and whole-or-nothing like
    // every other file the program writes.
    auto fail = [&](const std::string& Reason) {
        throw XlsxError("Cannot write file \"" + FileName + "\": " + Reason);
    };
    if (Rows.size() > static_cast<std::size_t>(kXlsxMaxRows)) fail("too many rows for a worksheet");
    const TPrivateFolder folder;
    if (folder.Path().empty()) fail(std::string("no private temporary folder (") + std::strerror(errno) + ")");
    const std::string tmp = folder.Path() + "/workbook.xlsx";
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(folder.Path().c_str());
    lxw_workbook* book = workbook_new_opt(tmp.c_str(), &options);
    if (!book) fail("cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(book, TextAsUtf8(SheetName).c_str());
    lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED;
    for (std::size_t r = 0; r < Rows.size() && error == LXW_NO_ERROR; ++r) {
        if (Rows[r].size() > static_cast<std::size_t>(kXlsxMaxColumns)) error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
        for (std::size_t c = 0; c < Rows[r].size() && error == LXW_NO_ERROR; ++c)
            if (!Rows[r][c].empty())
                error = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                               EscapeForWriting(TextAsUtf8(Rows[r][c])).c_str(), nullptr);
    }
    const lxw_error closed = workbook_close(book);
    if (error != LXW_NO_ERROR) fail(lxw_strerror(error));
    if (closed != LXW_NO_ERROR) fail(lxw_strerror(closed));
    std::string bytes;
    if (!ReadFileBytes(tmp, bytes)) fail("cannot read back the workbook");
    try {
        WriteFileAtomic(FileName, bytes);
    } catch (const IniWriteError& e) {
        throw XlsxError(e.what());
    }
}

}  // namespace platform
