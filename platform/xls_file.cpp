#include "platform/xls_file.h"

#include "platform/inifile.h"
#include "platform/text_encoding.h"

#include <glib.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kOleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// The records read, by their numbers in the workbook stream.
enum : unsigned {
    kBof = 0x0809,
    kEof = 0x000A,
    kContinue = 0x003C,
    kFilePass = 0x002F,
    kCodePage = 0x0042,
    kDateMode = 0x0022,
    kFormat = 0x041E,
    kXf = 0x00E0,
    kSheet = 0x0085,
    kSst = 0x00FC,
    kNumber = 0x0203,
    kRk = 0x027E,
    kMulRk = 0x00BD,
    kLabel = 0x0204,
    kRString = 0x00D6,
    kLabelSst = 0x00FD,
    kBoolErr = 0x0205,
    kFormula = 0x0006,
    kString = 0x0207,
    kBlank = 0x0201,
    kMulBlank = 0x00BE,
    kSharedFormula = 0x04BC,
    kArray = 0x0221,
    kTable = 0x0236,
};

// "A1" style reference of a 0-based cell.
std::string CellName(unsigned Row, unsigned Col) {
    std::string letters;
    for (unsigned c = Col + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    return letters + std::to_string(Row + 1);
}

unsigned Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
const unsigned char* Bytes(std::string_view Body) { return reinterpret_cast<const unsigned char*>(Body.data()); }

double Float64(const unsigned char* p) {
    std::uint64_t bits = 0;
    for (int k = 7; k >= 0; --k) bits = bits << 8 | p[k];
    return std::bit_cast<double>(bits);
}

// The number of an RK value: 30 bits of an integer or the high bits of a
// double, divided by 100 when bit 0 says so.
double RkNumber(std::uint32_t Rk) {
    double value = Rk & 2 ? static_cast<double>(static_cast<std::int32_t>(Rk) >> 2)
                          : std::bit_cast<double>(static_cast<std::uint64_t>(Rk & 0xFFFFFFFCu) << 32);
    return Rk & 1 ? value / 100 : value;
}

// Cells a cell record holds (one, or one per column of a MULRK or MULBLANK
// record), or 0 when it is no cell record.
std::uint64_t CellsOf(unsigned Id, std::size_t Length) {
    switch (Id) {
        case kNumber: case kRk: case kLabel: case kRString: case kLabelSst: case kBoolErr: case kFormula:
        case kBlank:
            return 1;
        case kMulRk: return (Length - 6) / 6;
        case kMulBlank: return (Length - 6) / 2;
        default: return 0;
    }
}

// A record too short for the fixed fields read from it: the cells, and
// the workbook's records the reading needs.
bool RecordTooShort(unsigned Id, std::size_t Length, bool Biff8) {
    switch (Id) {
        case kBof: case kXf: return Length < 4;
        case kCodePage: case kDateMode: return Length < 2;
        case kFormat: return Length < (Biff8 ? 5u : 3u);
        case kSheet: return Length < (Biff8 ? 8u : 7u);
        case kSst: return Length < 8;
        case kNumber: return Length < 14;
        case kRk: case kLabelSst: return Length < 10;
        case kMulRk: return Length < 12 || (Length - 6) % 6 != 0;
        case kMulBlank: return Length < 8 || Length % 2 != 0;
        case kLabel: case kRString: case kBoolErr: return Length < 8;
        case kFormula: return Length < 20;
        case kBlank: return Length < 6;
        default: return false;
    }
}

// A record's body and the CONTINUE records after it, read in turn.
class TPieces {
  public:
    TPieces(std::vector<std::string_view> Pieces, std::size_t At) : pieces_(std::move(Pieces)), at_(At) {
        if (pieces_.empty()) pieces_.emplace_back();
        at_ = std::min(at_, pieces_[0].size());
    }
    std::size_t Left() const { return pieces_[piece_].size() - at_; }
    const unsigned char* Here() const { return Bytes(pieces_[piece_]) + at_; }
    void Advance(std::size_t N) { at_ += N; }
    // On to the start of the next piece; false when there is none.
    bool Next() {
        if (piece_ + 1 >= pieces_.size()) return false;
        ++piece_;
        at_ = 0;
        return true;
    }
    // Passes N bytes (runs or extra data), across pieces.
    bool Skip(std::uint64_t N) {
        while (N > Left()) {
            N -= Left();
            if (!Next()) return false;
        }
        at_ += static_cast<std::size_t>(N);
        return true;
    }

  private:
    std::vector<std::string_view> pieces_;
    std::size_t piece_ = 0, at_ = 0;
};

// Chars characters from Pieces into Units (BIFF8: one or two bytes each by
// Wide, every further piece starting with a flags byte of its own whose bit
// 0 says two) or into Raw (BIFF5: bytes, going on as they are). False when
// they run past the pieces.
bool ReadChars(TPieces& Pieces, std::size_t Chars, bool Biff8, bool Wide, std::u16string& Units, std::string& Raw) {
    std::size_t width = Biff8 && Wide ? 2 : 1;
    for (;;) {
        const std::size_t here = std::min(Chars, Pieces.Left() / width);
        const unsigned char* p = Pieces.Here();
        for (std::size_t k = 0; k < here; ++k, p += width) {
            if (Biff8) Units += static_cast<char16_t>(width == 2 ? Le16(p) : p[0]);
            else Raw += static_cast<char>(p[0]);
        }
        Pieces.Advance(here * width);
        Chars -= here;
        if (Chars == 0) return true;
        if (!Pieces.Next() || Pieces.Left() == 0) return false;
        if (Biff8) {
            width = Pieces.Here()[0] & 1 ? 2 : 1;
            Pieces.Advance(1);
        }
    }
}

// UTF-16 as UTF-8; half of a surrogate pair alone reads as U+FFFD.
std::string Utf16Text(const std::u16string& Units) {
    std::string out;
    out.reserve(Units.size());
    for (std::size_t k = 0; k < Units.size(); ++k) {
        char32_t c = Units[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < Units.size() && Units[k + 1] >= 0xDC00 && Units[k + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (Units[++k] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

// 8-bit text of a BIFF5 workbook in its code page as UTF-8; nothing when
// the code page is unknown or the bytes are not of it.
std::optional<std::string> CodePageText(const std::string& Raw, unsigned CodePage) {
    if (std::all_of(Raw.begin(), Raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return Raw;
    std::string out;
    if (CodePage == 1252 || CodePage == 0x8001) {
        // Windows-1252 as the program reads it everywhere, every byte a character.
        for (const char c : Raw) AppendUtf8(out, TextCharacters(std::string_view(&c, 1))[0]);
        return out;
    }
    // The code page's name as iconv knows it.
    const std::string name = CodePage == 0x8000 || CodePage == 10000 ? "MACINTOSH"
                             : CodePage == 367                        ? "ASCII"
                                                                      : "CP" + std::to_string(CodePage);
    gsize written = 0;
    gchar* text =
        g_convert(Raw.data(), static_cast<gssize>(Raw.size()), "UTF-8", name.c_str(), nullptr, &written, nullptr);
    if (!text) return std::nullopt;
    out.assign(text, written);
    g_free(text);
    return out;
}

// What came of reading a text.
enum class TText { Read, PastRecord, CodePage };

// A text of Pieces: a count of LengthBytes bytes, in BIFF8 a flags byte
// (bit 0: two bytes a character), then the characters.
TText ReadText(TPieces& Pieces, int LengthBytes, bool Biff8, unsigned CodePage, std::string& Out) {
    const std::size_t head = static_cast<std::size_t>(LengthBytes) + (Biff8 ? 1 : 0);
    if (Pieces.Left() < head) return TText::PastRecord;
    const unsigned char* p = Pieces.Here();
    const std::size_t chars = LengthBytes == 1 ? p[0] : Le16(p);
    const bool wide = Biff8 && (p[LengthBytes] & 1);
    Pieces.Advance(head);
    std::u16string units;
    std::string raw;
    if (!ReadChars(Pieces, chars, Biff8, wide, units, raw)) return TText::PastRecord;
    if (Biff8) {
        Out = Utf16Text(units);
        return TText::Read;
    }
    std::optional<std::string> text = CodePageText(raw, CodePage);
    if (!text) return TText::CodePage;
    Out = std::move(*text);
    return TText::Read;
}

// Reads records (id, body, offset) from Stream[From...] until the end of the
// substream begun at From (its BOF and the matching EOF) or of the stream.
// Visit returns false to stop. Returns false when a record runs past the
// stream.
template <class F>
bool ForEachRecord(std::string_view Stream, std::size_t From, bool OneSubstream, F Visit) {
    int depth = 0;
    for (std::size_t at = From; at + 4 <= Stream.size();) {
        const auto* p = Bytes(Stream) + at;
        const unsigned id = Le16(p), length = Le16(p + 2);
        if (at + 4 + length > Stream.size()) return false;
        if (id == kBof) ++depth;
        if (!Visit(id, std::string_view(Stream.data() + at + 4, length), at, depth)) return true;
        if (id == kEof) {
            depth = std::max(0, depth - 1);
            if (depth == 0 && OneSubstream) return true;
        }
        at += 4 + length;
    }
    return true;
}

// A sheet of the workbook.
struct TSheetEntry {
    std::string Name;
    std::uint32_t Offset = 0;  // of its BOF record in the stream
    bool Worksheet = true;
};

// What the workbook's own records say.
struct TWorkbook {
    bool Biff8 = true;
    bool Date1904 = false;
    unsigned CodePage = 1252;  // of the 8-bit texts of a BIFF5 workbook
    std::vector<TSheetEntry> Sheets;
    std::vector<std::string> SharedStrings;
    std::vector<bool> DateFormats;  // of each cell format (XF record)
};

constexpr const char* kFormulaUnreadable =
    "holds a formula whose stored value cannot be read from an .xls workbook; "
    "open it in the spreadsheet program and save it as an Excel 2007-365 "
    "workbook (.xlsx), then import that file";

class TXlsReader {
  public:
    explicit TXlsReader(const std::string& FileName) : fileName_(FileName) {}

    [[noreturn]] void Fail(const std::string& Reason) const {
        throw XlsxError("Cannot read spreadsheet \"" + fileName_ + "\": " + Reason);
    }
    [[noreturn]] void Damaged(const std::string& What) const {
        Fail("its workbook stream is damaged (" + What + ")");
    }

    // The workbook stream of the compound file Bytes.
    std::string WorkbookStream(const std::string& Bytes) const {
        static std::once_flag once;
        std::call_once(once, [] {
            gsf_init();
            // A damaged file is refused with a message of ours; the
            // library's own complaints about it go nowhere.
            for (const char* domain : {"libgsf", "libgsf:msole"})
                g_log_set_handler(domain,
                                  static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                                              G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                                              G_LOG_LEVEL_DEBUG),
                                  [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        });
        auto unref = [](void* Object) {
            if (Object) g_object_unref(Object);
        };
        std::unique_ptr<GsfInput, decltype(unref)> input(
            gsf_input_memory_new(reinterpret_cast<const guint8*>(Bytes.data()),
                                 static_cast<gsf_off_t>(Bytes.size()), FALSE),
            unref);
        if (!input) throw std::bad_alloc();
        GError* error = nullptr;
        std::unique_ptr<GsfInfile, decltype(unref)> ole(gsf_infile_msole_new(input.get(), &error), unref);
        if (error) g_error_free(error);
        if (!ole) Fail("it is not an .xls workbook or it is damaged");
        // The stream "Workbook" (BIFF8; "Book" in older files), by its name
        // in any letter case. An .xlsx workbook saved with a password to
        // open is such a compound file too.
        int workbook = -1, book = -1;
        for (int k = 0; k < gsf_infile_num_children(ole.get()); ++k) {
            const char* name = gsf_infile_name_by_index(ole.get(), k);
            if (!name) continue;
            if (g_ascii_strcasecmp(name, "Workbook") == 0 && workbook < 0) workbook = k;
            else if (g_ascii_strcasecmp(name, "Book") == 0 && book < 0) book = k;
            else if (g_ascii_strcasecmp(name, "EncryptedPackage") == 0) Fail(kPassword);
        }
        const int child = workbook >= 0 ? workbook : book;
        if (child < 0 && NamesWorkbookStream(Bytes)) Fail("its workbook stream is damaged");
        if (child < 0) Fail("it holds no workbook (no stream \"Workbook\")");
        std::unique_ptr<GsfInput, decltype(unref)> stream(gsf_infile_child_by_index(ole.get(), child), unref);
        if (!stream) Fail("its workbook stream is damaged");
        const gsf_off_t size = gsf_input_size(stream.get());
        if (size < 0 || static_cast<std::uint64_t>(size) > Bytes.size()) Fail("its workbook stream is damaged");
        std::string data(static_cast<std::size_t>(size), '\0');
        if (size > 0 && !gsf_input_read(stream.get(), static_cast<std::size_t>(size),
                                        reinterpret_cast<guint8*>(data.data())))
            Fail("its workbook stream is damaged");
        return data;
    }

    // The workbook's records: its format (from its first header), sheets,
    // shared strings, cell formats and date system, with every record's
    // fixed fields and the limits checked on the whole stream.
    TWorkbook Scan(std::string_view Stream) const {
        TWorkbook book;
        const auto* s = Bytes(Stream);
        if (Stream.size() < 8 || Le16(s) != kBof || Le16(s + 2) < 4) Fail("it is not an .xls workbook or it is damaged");
        const unsigned version = Le16(s + 4);
        if (version != 0x0600 && version != 0x0500)
            Fail("it is a workbook of an Excel version before 5.0, which cannot be read; "
                 "open it in the spreadsheet program and save it as an Excel 2007-365 workbook (.xlsx), "
                 "then import that file");
        book.Biff8 = version == 0x0600;

        std::vector<std::uint32_t> starts;               // of every substream (its BOF record)
        std::unordered_map<unsigned, bool> dateCodes;    // number formats by their numbers: of a date?
        std::vector<unsigned> xfFormats;                  // of each XF record
        std::vector<std::string_view> sst;                // the table and its CONTINUE records
        std::uint64_t cells = 0;
        bool globals = true;
        const bool whole = ForEachRecord(Stream, 0, false, [&](unsigned Id, std::string_view Body, std::size_t At,
                                                                int Depth) {
            if (!sst.empty() && Id == kContinue) {
                sst.push_back(Body);
                return true;
            }
            if (!sst.empty()) {
                ReadSharedStrings(sst, book);
                sst.clear();
            }
            if (RecordTooShort(Id, Body.size(), book.Biff8)) Damaged("a record is too short");
            const auto* b = Bytes(Body);
            if (Id == kBof && Depth == 1) starts.push_back(static_cast<std::uint32_t>(At));
            if ((cells += CellsOf(Id, Body.size())) > kXlsMaxCells)
                Fail("its sheets hold more than " + std::to_string(kXlsMaxCells) +
                     " cells, the most a workbook may hold");
            if (!globals) return true;
            if (Id == kEof && Depth <= 1) globals = false;
            else if (Id == kFilePass) Fail(kPassword);
            else if (Id == kCodePage) book.CodePage = Le16(b);
            else if (Id == kDateMode) book.Date1904 = Le16(b) == 1;
            else if (Id == kXf) xfFormats.push_back(Le16(b + 2));
            else if (Id == kFormat) {
                TPieces text({Body}, 2);
                std::string code;
                if (ReadText(text, book.Biff8 ? 2 : 1, book.Biff8, book.CodePage, code) == TText::PastRecord)
                    Damaged("a record is too short");
                dateCodes[Le16(b)] = IsDateFormat(Le16(b), &code);
            } else if (Id == kSheet) {
                AddSheet(Body, book);
            } else if (Id == kSst) {
                sst = {Body};
            }
            return true;
        });
        if (!sst.empty()) ReadSharedStrings(sst, book);
        if (!whole) Fail("its workbook stream is damaged");
        for (const TSheetEntry& sheet : book.Sheets)
            if (sheet.Offset == 0 || !std::binary_search(starts.begin(), starts.end(), sheet.Offset))
                Fail("its list of sheets is damaged");
        book.DateFormats.resize(xfFormats.size());
        for (std::size_t k = 0; k < xfFormats.size(); ++k) {
            const auto code = dateCodes.find(xfFormats[k]);
            book.DateFormats[k] = code == dateCodes.end() ? IsDateFormat(xfFormats[k], nullptr) : code->second;
        }
        return book;
    }

    // The cells of the sheet at Offset within MaxRows x MaxCols into Cells;
    // MoreRows is set by a value below those rows.
    void ReadCells(std::string_view Stream, const TWorkbook& Book, std::uint32_t Offset, unsigned MaxRows,
                   unsigned MaxCols, std::vector<std::vector<std::string>>& Cells, bool& MoreRows) const {
        std::uint64_t held = 0;                                          // bytes of text in Cells
        std::map<std::pair<unsigned, unsigned>, std::string> refused;  // cell -> reason
        // A cell read: its text, or the reason that refuses it. A later
        // record of the same cell replaces an earlier one.
        auto put = [&](unsigned Row, unsigned Col, std::string Text) {
            std::string& cell = Cells[Row][Col];
            held = held - cell.size() + Text.size();
            cell = std::move(Text);
            refused.erase({Row, Col});
            if (held > kXlsxMaxTextHeld)
                Fail("the cells read hold more than " + Megabytes(kXlsxMaxTextHeld) +
                     " of text, the most a sheet may hold");
        };
        auto refuse = [&](unsigned Row, unsigned Col, std::string Reason) {
            put(Row, Col, {});
            refused[{Row, Col}] = std::move(Reason);
        };
        // Where a cell lies: read, below the rows read (where a value tells
        // that rows were left out) or elsewhere.
        enum class TPlace { Read, Below, Outside };
        auto place = [&](unsigned Row, unsigned Col) {
            return Col >= MaxCols ? TPlace::Outside : Row < MaxRows ? TPlace::Read : TPlace::Below;
        };
        auto number = [&](unsigned Row, unsigned Col, unsigned Xf, double Value) {
            if (!std::isfinite(Value)) return refuse(Row, Col, "holds no number");
            const bool date = Xf < Book.DateFormats.size() && Book.DateFormats[Xf];
            put(Row, Col, date ? SpreadsheetDateText(Value, Book.Date1904) : SpreadsheetNumberText(Value));
        };
        auto text = [&](unsigned Row, unsigned Col, std::string Text) {
            if (Utf8Chars(Text) > kXlsxMaxCellChars)
                return refuse(Row, Col, "holds more than " + std::to_string(kXlsxMaxCellChars) +
                                            " characters, the most a cell may hold");
            put(Row, Col, std::move(Text));
        };
        auto textFailure = [&](TText Result, const char* PastRecord) -> std::string {
            return Result == TText::PastRecord ? PastRecord
                                               : "holds a text in code page " + std::to_string(Book.CodePage) +
                                                     " that cannot be read";
        };
        // A text that may go on in the CONTINUE records after its record: a
        // text cell's, or a formula's in the STRING record after it (after a
        // shared, array or table formula record, if any).
        enum class TWait { None, Label, FormulaText } waiting = TWait::None;
        unsigned waitRow = 0, waitCol = 0;
        std::vector<std::string_view> pieces;
        auto takeText = [&] {
            const TWait what = std::exchange(waiting, TWait::None);
            if (place(waitRow, waitCol) == TPlace::Below) {
                if (!pieces.empty() && pieces[0].size() >= 2 && Le16(Bytes(pieces[0])) > 0) MoreRows = true;
            } else if (pieces.empty()) {
                refuse(waitRow, waitCol, "is damaged (the text its formula stored is missing)");
            } else {
                TPieces textPieces(pieces, what == TWait::Label ? 6 : 0);
                std::string stored;
                const TText result = ReadText(textPieces, 2, Book.Biff8, Book.CodePage, stored);
                if (result == TText::Read) text(waitRow, waitCol, std::move(stored));
                else refuse(waitRow, waitCol,
                            textFailure(result, what == TWait::Label
                                                    ? "is damaged (its text runs past its record)"
                                                    : "is damaged (the text its formula stored runs past its records)"));
            }
            pieces.clear();
        };
        const bool whole = ForEachRecord(Stream, Offset, true, [&](unsigned Id, std::string_view Body, std::size_t,
                                                                     int Depth) {
            if (waiting != TWait::None) {
                if (pieces.empty() ? Id == kString : Id == kContinue) {
                    pieces.push_back(Body);
                    return true;
                }
                if (pieces.empty() && (Id == kSharedFormula || Id == kArray || Id == kTable)) return true;
                takeText();
            }
            if (Depth != 1 || CellsOf(Id, Body.size()) == 0 || Id == kBlank || Id == kMulBlank) return true;
            const auto* b = Bytes(Body);
            const unsigned row = Le16(b), col = Le16(b + 2), xf = Le16(b + 4);
            if (Id == kMulRk) {
                for (std::size_t k = 0; 6 + 6 * k + 6 <= Body.size(); ++k) {
                    const unsigned c = col + static_cast<unsigned>(k);
                    const TPlace where = place(row, c);
                    if (where == TPlace::Below) MoreRows = true;
                    if (where == TPlace::Read) number(row, c, Le16(b + 4 + 6 * k), RkNumber(Le32(b + 6 + 6 * k)));
                }
                return true;
            }
            const TPlace where = place(row, col);
            if (where == TPlace::Outside) return true;
            const bool below = where == TPlace::Below;
            switch (Id) {
                case kNumber:
                    if (below) MoreRows = true;
                    else number(row, col, xf, Float64(b + 6));
                    break;
                case kRk:
                    if (below) MoreRows = true;
                    else number(row, col, xf, RkNumber(Le32(b + 6)));
                    break;
                case kLabelSst: {
                    const std::uint32_t k = Le32(b + 6);
                    const bool known = k < Book.SharedStrings.size();
                    if (below) MoreRows = MoreRows || (known && !Book.SharedStrings[k].empty());
                    else if (!known) refuse(row, col, "names a missing shared string");
                    else put(row, col, Book.SharedStrings[k]);
                    break;
                }
                case kLabel:
                case kRString: {
                    if (below) {
                        MoreRows = MoreRows || Le16(b + 6) > 0;
                        break;
                    }
                    waiting = TWait::Label;
                    waitRow = row;
                    waitCol = col;
                    pieces = {Body};
                    break;
                }
                case kBoolErr:
                    if (below) MoreRows = true;
                    else if (b[7] != 0) refuse(row, col, ErrorValue(b[6]));
                    else put(row, col, b[6] ? "TRUE" : "FALSE");
                    break;
                case kFormula: {
                    // Not a number: the kind of value in byte 6, the value in byte 8.
                    const bool special = Le16(b + 12) == 0xFFFF;
                    if (!special) {
                        if (below) MoreRows = true;
                        else number(row, col, xf, Float64(b + 6));
                    } else if (b[6] == 0) {
                        waiting = TWait::FormulaText;
                        waitRow = row;
                        waitCol = col;
                    } else if (b[6] == 3) {
                        if (!below) put(row, col, {});
                    } else if (below) {
                        MoreRows = true;
                    } else if (b[6] == 1) {
                        put(row, col, b[8] ? "TRUE" : "FALSE");
                    } else if (b[6] == 2) {
                        refuse(row, col, ErrorValue(b[8]));
                    } else {
                        refuse(row, col, kFormulaUnreadable);
                    }
                    break;
                }
                default: break;
            }
            return true;
        });
        if (waiting != TWait::None) takeText();
        if (!whole) Fail("its workbook stream is damaged");
        if (!refused.empty()) {
            const auto& [cell, reason] = *refused.begin();
            Fail("cell " + CellName(cell.first, cell.second) + " " + reason);
        }
    }

  private:
    static constexpr const char* kPassword = "it is protected by a password: save it without one";

    // A directory entry of the compound file Bytes names a stream
    // "Workbook" or "Book" (the library leaves out a stream whose size or
    // sectors are damaged). Directory entries fill sectors of 128 bytes
    // and more, after the header of 512 bytes.
    static bool NamesWorkbookStream(std::string_view Bytes) {
        for (std::size_t at = 512; at + 128 <= Bytes.size(); at += 128) {
            const auto* e = platform::Bytes(Bytes.substr(at, 128));
            const unsigned length = Le16(e + 0x40);
            if (e[0x42] != 2 || length < 2 || length > 64 || length % 2) continue;
            std::string name;
            for (unsigned k = 0; k + 2 < length; k += 2) name += e[k + 1] ? '?' : char(e[k]);
            if (g_ascii_strcasecmp(name.c_str(), "Workbook") == 0 || g_ascii_strcasecmp(name.c_str(), "Book") == 0)
                return true;
        }
        return false;
    }

    // The reason that refuses a cell holding an error value.
    static std::string ErrorValue(int Code) {
        const char* name = Code == 0x00   ? "#NULL! "
                           : Code == 0x07 ? "#DIV/0! "
                           : Code == 0x0F ? "#VALUE! "
                           : Code == 0x17 ? "#REF! "
                           : Code == 0x1D ? "#NAME? "
                           : Code == 0x24 ? "#NUM! "
                           : Code == 0x2A ? "#N/A "
                                          : "";
        return std::string("holds the error value ") + name + "instead of a value";
    }

    // A sheet of the workbook (a BOUNDSHEET record); Visual Basic modules
    // are left out, as in the same workbook saved as .xlsx.
    void AddSheet(std::string_view Body, TWorkbook& Book) const {
        const auto* b = Bytes(Body);
        const unsigned kind = b[5];
        if (kind == 6) return;
        if (Book.Sheets.size() >= kXlsxMaxSheets)
            Fail("it has more than " + std::to_string(kXlsxMaxSheets) + " sheets, the most a workbook may have");
        TPieces name({Body}, 6);
        TSheetEntry sheet;
        switch (ReadText(name, 1, Book.Biff8, Book.CodePage, sheet.Name)) {
            case TText::Read: break;
            case TText::PastRecord: Damaged("a record is too short");
            case TText::CodePage:
                Fail("it holds a sheet name in code page " + std::to_string(Book.CodePage) + " that cannot be read");
        }
        sheet.Offset = Le32(b);
        sheet.Worksheet = kind == 0;
        Book.Sheets.push_back(std::move(sheet));
    }

    // The shared string table (an SST record and its CONTINUE records, as
    // Pieces) into Book: every string within the table, a string's
    // characters going on in the next record with a flags byte of their
    // own, its runs and extra data after them.
    void ReadSharedStrings(const std::vector<std::string_view>& Pieces, TWorkbook& Book) const {
        const std::uint32_t count = Le32(Bytes(Pieces[0]) + 4);
        if (count > kXlsxMaxSharedStrings)
            Fail("it holds more than " + std::to_string(kXlsxMaxSharedStrings) +
                 " shared strings, the most a workbook may hold");
        if (!Book.SharedStrings.empty()) Damaged("it holds two tables of shared strings");
        std::size_t bytes = 0;
        for (std::string_view piece : Pieces) bytes += piece.size();
        // Each string takes three bytes at least.
        Book.SharedStrings.reserve(std::min<std::size_t>(count, bytes / 3));
        const char* runsPast = "its shared strings run past their records";
        TPieces in(Pieces, 8);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (in.Left() == 0 && !in.Next()) Damaged(runsPast);
            if (in.Left() < 3) Damaged(runsPast);
            const unsigned char* p = in.Here();
            const std::size_t chars = Le16(p);
            const unsigned flags = p[2];
            in.Advance(3);
            std::uint64_t runs = 0, extra = 0;
            if (flags & 8) {
                if (in.Left() < 2) Damaged(runsPast);
                runs = 4u * Le16(in.Here());
                in.Advance(2);
            }
            if (flags & 4) {
                if (in.Left() < 4) Damaged(runsPast);
                extra = Le32(in.Here());
                in.Advance(4);
            }
            std::u16string units;
            std::string raw;
            if (!ReadChars(in, chars, true, flags & 1, units, raw) || !in.Skip(runs + extra)) Damaged(runsPast);
            Book.SharedStrings.push_back(Utf16Text(units));
            if (Utf8Chars(Book.SharedStrings.back()) > kXlsxMaxCellChars)
                Fail("shared string " + std::to_string(i + 1) + " is longer than " +
                     std::to_string(kXlsxMaxCellChars) + " characters, the most a cell may hold");
        }
    }

    std::string fileName_;
};

}  // namespace

bool IsXlsFile(const std::string& FileName) {
    // Only the signature matters, whatever the size of the file.
    if (ProbeFile(FileName) != FileState::Readable) return false;
    FILE* f = std::fopen(FileName.c_str(), "rb");
    if (!f) return false;
    char buffer[8];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    return std::string_view(buffer, n) == kOleSignature;
}

TXlsxSheet ReadXlsSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns) {
    const TXlsReader reader(FileName);
    MaxRows = std::max(0, MaxRows);
    MaxColumns = std::max(0, MaxColumns);
    if (static_cast<std::uint64_t>(MaxRows) * static_cast<std::uint64_t>(MaxColumns) > kXlsxMaxCellsHeld)
        reader.Fail("more than " + std::to_string(kXlsxMaxCellsHeld) + " cells asked for, the most a reading holds");

    std::string bytes;
    switch (ReadRegularFile(FileName, bytes, kXlsMaxFileBytes)) {
        case FileState::Readable: break;
        case FileState::TooLarge:
            reader.Fail("it is larger than " + Megabytes(kXlsMaxFileBytes) + ", the most an .xls workbook may be");
        default: reader.Fail("the file cannot be opened");
    }
    if (!std::string_view(bytes).starts_with(kOleSignature)) reader.Fail("it is not an .xls workbook");
    const std::string stream = reader.WorkbookStream(bytes);
    bytes = std::string();
    TWorkbook book = reader.Scan(stream);
    if (book.Sheets.empty()) reader.Fail("it has no sheet");

    TXlsxSheet result;
    for (const TSheetEntry& sheet : book.Sheets) {
        if (Utf8Chars(sheet.Name) > kXlsxMaxCellChars)
            reader.Fail("a sheet name is longer than " + std::to_string(kXlsxMaxCellChars) + " characters");
        result.SheetNames.push_back(sheet.Name);
    }
    if (SheetIndex < 0 || SheetIndex >= static_cast<int>(book.Sheets.size()))
        reader.Fail("it has no sheet number " + std::to_string(SheetIndex + 1));
    const TSheetEntry& sheet = book.Sheets[static_cast<std::size_t>(SheetIndex)];
    if (!sheet.Worksheet) reader.Fail("sheet \"" + sheet.Name + "\" is not a worksheet");

    result.Cells.assign(static_cast<std::size_t>(MaxRows), std::vector<std::string>(static_cast<std::size_t>(MaxColumns)));
    reader.ReadCells(stream, book, sheet.Offset, static_cast<unsigned>(MaxRows), static_cast<unsigned>(MaxColumns),
                     result.Cells, result.MoreRows);
    return result;
}

}  // namespace platform
