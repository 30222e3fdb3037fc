#include "platform/xls_file.h"

#include "platform/inifile.h"
#include "platform/text_encoding.h"

#include <freexl.h>
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
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kOleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

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

// What the workbook stream says about a cell: the library reads formulas as
// empty cells and booleans and error values as plain numbers.
enum class TCellKind : unsigned char {
    Plain,    // the library's value
    True,
    False,
    Error,    // the error value ErrorCode
    Stored,   // a formula's stored value, the text Texts[Text] of its TSheetMarks
    Refused,  // the cell is refused for the reason Texts[Text]
};
constexpr std::uint32_t kNoText = 0xFFFFFFFF;
struct TCellMark {
    TCellKind Kind = TCellKind::Plain;
    unsigned char ErrorCode = 0;
    std::uint32_t Text = kNoText;
};
struct TSheetMarks {
    std::vector<TCellMark> Marks;  // row by row, MaxCols a row
    std::vector<std::string> Texts;
};

constexpr const char* kFormulaUnreadable =
    "holds a formula whose stored value cannot be read from an .xls workbook; "
    "open it in the spreadsheet program and save it as an Excel 2007-365 "
    "workbook (.xlsx), then import that file";

// The facts of the workbook stream the reading needs.
struct TStreamScan {
    std::vector<std::uint32_t> SheetOffsets, WorksheetOffsets;  // every sheet, worksheets only
    std::uint64_t CellsSpanned = 0;  // the sheets' declared sizes, summed
    std::uint64_t SharedStrings = 0;
    unsigned CodePage = 1252;  // of the 8-bit texts of an older (BIFF5) workbook
};

// The records the cell library reads with fixed fields, and the least
// length each needs.
constexpr struct {
    unsigned Id, Least;
} kFixedRecords[] = {
    {0x0809, 8},  {0x0085, 8},  {0x0200, 10}, {0x00FC, 8},  {0x0203, 14}, {0x027E, 10}, {0x00FD, 10},
    {0x00BD, 12}, {0x0205, 8},  {0x0006, 20}, {0x0204, 8},  {0x00E0, 16}, {0x0042, 2},  {0x0022, 2},
    {0x041E, 3},  {0x001E, 1},  {0x0208, 16}, {0x00D6, 8},  {0x0201, 6},  {0x00BE, 6},
};

// A text of a record (BIFF8: length, flags, characters of one or two bytes;
// BIFF5: length and bytes) fits in Body from At; LengthBytes is 1 or 2.
bool TextFits(std::string_view Body, std::size_t At, int LengthBytes, bool Biff8) {
    const auto* b = reinterpret_cast<const unsigned char*>(Body.data());
    if (At + LengthBytes + (Biff8 ? 1 : 0) > Body.size()) return false;
    const std::size_t chars = LengthBytes == 1 ? b[At] : Le16(b + At);
    const std::size_t width = Biff8 && (b[At + LengthBytes] & 1) ? 2 : 1;
    return At + LengthBytes + (Biff8 ? 1 : 0) + chars * width <= Body.size();
}

// A record the cell library would read past its end: too short for its
// fixed fields or for the text it names.
bool RecordTooShort(unsigned Id, std::string_view Body, bool Biff8) {
    for (const auto& r : kFixedRecords)
        if (r.Id == Id && Body.size() < r.Least) return true;
    switch (Id) {
        case 0x0085: return !TextFits(Body, 6, 1, Biff8);        // a sheet's name
        case 0x041E: return !TextFits(Body, 2, Biff8 ? 2 : 1, Biff8);  // a number format
        case 0x001E: return !TextFits(Body, 0, 1, false);
        case 0x0204: return !TextFits(Body, 6, 2, Biff8);        // a text cell
        case 0x00BD: return (Body.size() - 6) % 6 != 0;          // numbers of a row
        default: return false;
    }
}

// The shared string table (SST record and its CONTINUE records, as
// Segments) holds the Count strings it states, each within the table: a
// text may go on in the next record with a flags byte of its own, its runs
// and extra data after it.
bool SharedStringsFit(const std::vector<std::string_view>& Segments, std::uint64_t Count) {
    std::size_t seg = 0, at = 8;  // past the two counts
    auto left = [&] { return Segments[seg].size() - at; };
    auto next = [&] {
        if (++seg >= Segments.size()) return false;
        at = 0;
        return true;
    };
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(Segments[seg][at + k]); };
    // Skips Bytes of runs or extra data, across records.
    auto skip = [&](std::uint64_t Bytes) {
        while (Bytes > left()) {
            Bytes -= left();
            if (!next()) return false;
        }
        at += static_cast<std::size_t>(Bytes);
        return true;
    };
    for (std::uint64_t i = 0; i < Count; ++i) {
        if (left() == 0 && !next()) return false;
        if (left() < 3) return false;
        std::size_t chars = byte(0) | (byte(1) << 8);
        const unsigned flags = byte(2);
        at += 3;
        std::uint64_t runs = 0, extra = 0;
        if (flags & 8) {
            if (left() < 2) return false;
            runs = 4u * (byte(0) | (byte(1) << 8));
            at += 2;
        }
        if (flags & 4) {
            if (left() < 4) return false;
            extra = byte(0) | (byte(1) << 8) | (byte(2) << 16) | (static_cast<std::uint64_t>(byte(3)) << 24);
            at += 4;
        }
        std::size_t width = flags & 1 ? 2 : 1;
        for (;;) {
            const std::size_t here = std::min(chars, left() / width);
            at += here * width;
            chars -= here;
            if (chars == 0) break;
            if (!next() || left() < 1) return false;
            width = byte(0) & 1 ? 2 : 1;
            ++at;
        }
        if (!skip(runs + extra)) return false;
    }
    return true;
}

// The text a formula stored (a STRING record and the CONTINUE records after
// it, as Segments) as UTF-8 in Out; else why it cannot be had.
// BIFF8: a count of characters and a flags byte (bit 0: two bytes a
// character, else one byte of Latin-1), each CONTINUE starting with a flags
// byte of its own. BIFF5: a count of bytes in the workbook's code page.
std::optional<std::string> StoredText(const std::vector<std::string_view>& Segments, bool Biff8, unsigned CodePage,
                                      std::string& Out) {
    const std::string runsPast = "is damaged (the text its formula stored runs past its records)";
    std::size_t seg = 0, at = Biff8 ? 3 : 2;
    if (Segments[0].size() < at) return runsPast;
    const auto* head = reinterpret_cast<const unsigned char*>(Segments[0].data());
    std::size_t chars = Le16(head);
    std::size_t width = Biff8 && (head[2] & 1) ? 2 : 1;
    std::u16string units;  // BIFF8
    std::string bytes;     // BIFF5
    for (;;) {
        const auto* b = reinterpret_cast<const unsigned char*>(Segments[seg].data());
        const std::size_t here = std::min(chars, (Segments[seg].size() - at) / width);
        for (std::size_t k = 0; k < here; ++k, at += width) {
            if (Biff8) units += static_cast<char16_t>(width == 2 ? Le16(b + at) : b[at]);
            else bytes += static_cast<char>(b[at]);
        }
        chars -= here;
        if (chars == 0) break;
        if (++seg >= Segments.size() || Segments[seg].empty()) return runsPast;
        at = 0;
        if (Biff8) width = Segments[seg][at++] & 1 ? 2 : 1;
    }
    Out.clear();
    if (!Biff8) {
        // The code page's name as iconv knows it.
        const std::string name = CodePage == 0x8000   ? "MACINTOSH"
                                  : CodePage == 0x8001 ? "CP1252"
                                  : CodePage == 367    ? "ASCII"
                                                       : "CP" + std::to_string(CodePage);
        gsize written = 0;
        gchar* text = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", name.c_str(), nullptr,
                                &written, nullptr);
        if (!text) return "holds a text in code page " + std::to_string(CodePage) + " that cannot be read";
        Out.assign(text, written);
        g_free(text);
        return std::nullopt;
    }
    for (std::size_t k = 0; k < units.size(); ++k) {
        char32_t c = units[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++k] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;  // half of a pair
        AppendUtf8(Out, c);
    }
    return std::nullopt;
}

// Reads records (id, body) from Stream[From...] until the end of the
// substream begun at From (its BOF and the matching EOF) or of the stream.
// Returns false when a record runs past the stream.
template <class F>
bool ForEachRecord(std::string_view Stream, std::size_t From, bool OneSubstream, F Visit) {
    int depth = 0;
    for (std::size_t at = From; at + 4 <= Stream.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(Stream.data() + at);
        const unsigned id = Le16(p), length = Le16(p + 2);
        if (at + 4 + length > Stream.size()) return false;
        if (!Visit(id, std::string_view(Stream.data() + at + 4, length))) return true;
        at += 4 + length;
        if (!OneSubstream) continue;
        if (id == 0x0809) ++depth;
        else if (id == 0x000A && --depth <= 0) return true;
    }
    return true;
}

class TXlsReader {
  public:
    explicit TXlsReader(const std::string& FileName) : fileName_(FileName) {}

    [[noreturn]] void Fail(const std::string& Reason) const {
        throw XlsxError("Cannot read spreadsheet \"" + fileName_ + "\": " + Reason);
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
        std::unique_ptr<GsfInput, decltype(unref)> stream(gsf_infile_child_by_name(ole.get(), "Workbook"), unref);
        if (!stream) stream.reset(gsf_infile_child_by_name(ole.get(), "Book"));
        if (!stream) Fail("it holds no workbook (no stream \"Workbook\")");
        const gsf_off_t size = gsf_input_size(stream.get());
        if (size < 0 || static_cast<std::uint64_t>(size) > Bytes.size()) Fail("its workbook stream is damaged");
        std::string data(static_cast<std::size_t>(size), '\0');
        if (size > 0 && !gsf_input_read(stream.get(), static_cast<std::size_t>(size),
                                        reinterpret_cast<guint8*>(data.data())))
            Fail("its workbook stream is damaged");
        return data;
    }

    // The sheets, their declared sizes and the shared string count, with the
    // limits checked before the library holds any of it.
    TStreamScan Scan(std::string_view Stream) const {
        TStreamScan scan;
        std::string refusal;
        bool biff8 = true;
        // Per open substream: its stated size, once stated. The library
        // keeps a sheet's cells in an array of that size.
        struct TSize {
            bool Stated = false;
            std::uint64_t Rows = 0, Cols = 0;
        };
        std::vector<TSize> sizes;
        std::vector<std::string_view> sst;  // the table being gathered
        std::uint64_t sstCount = 0;
        const bool whole = ForEachRecord(Stream, 0, false, [&](unsigned Id, std::string_view Body) {
            const auto* b = reinterpret_cast<const unsigned char*>(Body.data());
            if (!sst.empty() && Id == 0x003C) {
                sst.push_back(Body);
                return true;
            }
            if (!sst.empty()) {
                if (!SharedStringsFit(sst, sstCount)) {
                    refusal = "its workbook stream is damaged (its shared strings run past their records)";
                    return false;
                }
                sst.clear();
            }
            if (Id == 0x0809 && Body.size() >= 2) biff8 = Le16(b) == 0x0600;
            if (RecordTooShort(Id, Body, biff8)) {
                refusal = "its workbook stream is damaged (a record is too short)";
                return false;
            }
            if (Id == 0x0809) sizes.emplace_back();
            else if (Id == 0x000A && !sizes.empty()) sizes.pop_back();
            const bool cell = Id == 0x0203 || Id == 0x027E || Id == 0x00FD || Id == 0x0204 || Id == 0x0205 ||
                              Id == 0x0006 || Id == 0x0201 || Id == 0x00D6 || Id == 0x00BD || Id == 0x00BE;
            if (cell && !sizes.empty()) {
                const TSize& size = sizes.back();
                const unsigned row = Le16(b), first = Le16(b + 2);
                const unsigned last = Id == 0x00BD || Id == 0x00BE ? Le16(b + Body.size() - 2) : first;
                if (!size.Stated || row >= size.Rows || last >= size.Cols || last < first) {
                    refusal = "its workbook stream is damaged (cell " + CellName(row, first) +
                              " lies outside the size its sheet states)";
                    return false;
                }
            }
            if (Id == 0x0085 && Body.size() >= 6) {  // a sheet of the workbook
                if (scan.SheetOffsets.size() >= kXlsxMaxSheets) {
                    refusal = "it has more than " + std::to_string(kXlsxMaxSheets) +
                              " sheets, the most a workbook may have";
                    return false;
                }
                scan.SheetOffsets.push_back(Le32(b));
                if (b[5] == 0) scan.WorksheetOffsets.push_back(Le32(b));
            } else if (Id == 0x0200 && Body.size() >= 10) {  // a sheet's size
                const bool biff8 = Body.size() >= 14;
                const std::uint64_t firstRow = biff8 ? Le32(b) : Le16(b);
                const std::uint64_t rows = biff8 ? Le32(b + 4) : Le16(b + 2);
                const std::uint64_t firstCol = Le16(b + (biff8 ? 8 : 4));
                const std::uint64_t cols = Le16(b + (biff8 ? 10 : 6));
                if (firstRow > rows || firstCol > cols || rows > 65536 || cols > 256) {
                    refusal = "its workbook stream is damaged (a sheet states an impossible size)";
                    return false;
                }
                if (!sizes.empty()) {
                    if (sizes.back().Stated) {
                        refusal = "its workbook stream is damaged (a sheet states its size twice)";
                        return false;
                    }
                    sizes.back() = {true, rows, cols};
                }
                scan.CellsSpanned += rows * cols;
                if (scan.CellsSpanned > kXlsMaxCellsSpanned) {
                    refusal = "its sheets span more than " + std::to_string(kXlsMaxCellsSpanned) +
                              " cells, the most a workbook may span";
                    return false;
                }
            } else if (Id == 0x0042 && Body.size() >= 2) {  // the code page of 8-bit texts
                scan.CodePage = Le16(b);
            } else if (Id == 0x00FC && Body.size() >= 8) {  // the shared strings
                scan.SharedStrings += Le32(b + 4);
                sst = {Body};
                sstCount = Le32(b + 4);
                if (scan.SharedStrings > kXlsxMaxSharedStrings) {
                    refusal = "it holds more than " + std::to_string(kXlsxMaxSharedStrings) +
                              " shared strings, the most a workbook may hold";
                    return false;
                }
            }
            return true;
        });
        if (refusal.empty() && !sst.empty() && !SharedStringsFit(sst, sstCount))
            refusal = "its workbook stream is damaged (its shared strings run past their records)";
        if (!refusal.empty()) Fail(refusal);
        if (!whole) Fail("its workbook stream is damaged");
        return scan;
    }

    // What the records of the substream at Offset say about the cells within
    // the rows and columns read: booleans, error values and the values stored
    // with formulas. MoreRows is set by such a value below those rows.
    TSheetMarks CellMarks(std::string_view Stream, std::uint32_t Offset, unsigned CodePage, unsigned MaxRows,
                          unsigned MaxCols, bool& MoreRows) const {
        TSheetMarks sheet;
        sheet.Marks.resize(static_cast<std::size_t>(MaxRows) * MaxCols);
        const auto* s = reinterpret_cast<const unsigned char*>(Stream.data());
        const std::size_t at = Offset;
        if (at + 4 > Stream.size() || Le16(s + at) != 0x0809) Fail("its workbook stream is damaged");
        const bool biff8 = at + 6 <= Stream.size() && Le16(s + at + 2) >= 2 && Le16(s + at + 4) == 0x0600;
        std::uint64_t held = 0;  // bytes of the stored texts
        auto put = [&](TCellMark& Mark, TCellKind Kind, unsigned char Code, std::string Text) {
            if (Mark.Kind == TCellKind::Stored) held -= sheet.Texts[Mark.Text].size();
            Mark.Kind = Kind;
            Mark.ErrorCode = Code;
            if (Kind != TCellKind::Stored && Kind != TCellKind::Refused) return;
            if (Mark.Text == kNoText) {
                Mark.Text = static_cast<std::uint32_t>(sheet.Texts.size());
                sheet.Texts.emplace_back();
            }
            sheet.Texts[Mark.Text] = std::move(Text);
            if (Kind == TCellKind::Stored && (held += sheet.Texts[Mark.Text].size()) > kXlsxMaxTextHeld)
                Fail("the cells read hold more than " + Megabytes(kXlsxMaxTextHeld) +
                     " of text, the most a sheet may hold");
        };
        // A formula of the cells read whose text comes in the STRING record
        // after it (after a shared, array or table formula record, if any).
        bool waiting = false;
        unsigned waitRow = 0, waitCol = 0;
        std::vector<std::string_view> segments;
        auto takeText = [&] {
            waiting = false;
            TCellMark& mark = sheet.Marks[static_cast<std::size_t>(waitRow) * MaxCols + waitCol];
            std::string text;
            std::optional<std::string> refusal;
            if (segments.empty())
                put(mark, TCellKind::Refused, 0, "is damaged (the text its formula stored is missing)");
            else if ((refusal = StoredText(segments, biff8, CodePage, text)))
                put(mark, TCellKind::Refused, 0, std::move(*refusal));
            else if (Utf8Chars(text) > kXlsxMaxCellChars)
                put(mark, TCellKind::Refused, 0,
                    "holds more than " + std::to_string(kXlsxMaxCellChars) + " characters, the most a cell may hold");
            else
                put(mark, TCellKind::Stored, 0, std::move(text));
            segments.clear();
        };
        const bool whole = ForEachRecord(Stream, Offset, true, [&](unsigned Id, std::string_view Body) {
            if (waiting) {
                if (segments.empty() ? Id == 0x0207 : Id == 0x003C) {
                    segments.push_back(Body);
                    return true;
                }
                if (segments.empty() && (Id == 0x04BC || Id == 0x0221 || Id == 0x0236)) return true;
                takeText();
            }
            const auto* b = reinterpret_cast<const unsigned char*>(Body.data());
            const bool formula = Id == 0x0006 || Id == 0x0206 || Id == 0x0406;
            if (!(formula || Id == 0x0205)) return true;
            // Row, column, format and the value (a formula's: 8 bytes, then flags).
            if (Body.size() < (formula ? 16u : 8u)) Fail("its workbook stream is damaged (a record is too short)");
            const unsigned row = Le16(b), col = Le16(b + 2);
            // Not a number: the kind of value in byte 6, the value in byte 8.
            const bool special = formula && Le16(b + 12) == 0xFFFF;
            if (col >= MaxCols) return true;
            if (row >= MaxRows) {
                if (!(special && b[6] == 3)) MoreRows = true;  // all but an empty text
                return true;
            }
            TCellMark& mark = sheet.Marks[static_cast<std::size_t>(row) * MaxCols + col];
            if (!formula) {
                if (b[7] != 0) put(mark, TCellKind::Error, b[6], {});
                else put(mark, b[6] ? TCellKind::True : TCellKind::False, 0, {});
            } else if (!special) {
                std::uint64_t bits = 0;
                for (int k = 7; k >= 0; --k) bits = bits << 8 | b[6 + k];
                const double value = std::bit_cast<double>(bits);
                if (std::isfinite(value)) put(mark, TCellKind::Stored, 0, SpreadsheetNumberText(value));
                else put(mark, TCellKind::Refused, 0, "holds no number");
            } else if (b[6] == 0) {
                waiting = true;
                waitRow = row;
                waitCol = col;
            } else if (b[6] == 1) {
                put(mark, b[8] ? TCellKind::True : TCellKind::False, 0, {});
            } else if (b[6] == 2) {
                put(mark, TCellKind::Error, b[8], {});
            } else if (b[6] == 3) {
                put(mark, TCellKind::Stored, 0, {});
            } else {
                put(mark, TCellKind::Refused, 0, kFormulaUnreadable);
            }
            return true;
        });
        if (waiting) takeText();
        if (!whole) Fail("its workbook stream is damaged");
        return sheet;
    }

    // The error value stored in a cell as the spreadsheet shows it.
    static std::string ErrorName(int Code) {
        switch (Code) {
            case 0x00: return "#NULL! ";
            case 0x07: return "#DIV/0! ";
            case 0x0F: return "#VALUE! ";
            case 0x17: return "#REF! ";
            case 0x1D: return "#NAME? ";
            case 0x24: return "#NUM! ";
            case 0x2A: return "#N/A ";
            default: return "";
        }
    }

    std::string LibraryFailure(int Code) const {
        switch (Code) {
            case FREEXL_INSUFFICIENT_MEMORY: throw std::bad_alloc();
            case FREEXL_FILE_NOT_FOUND: return "the file cannot be opened";
            case FREEXL_CRAFTED_FILE: return "it is damaged (its records contradict each other)";
            default: return "it is damaged (error " + std::to_string(Code) + " of the .xls reader)";
        }
    }

  private:
    std::string fileName_;
};

struct TFreeXl {
    const void* Handle = nullptr;
    ~TFreeXl() {
        if (Handle) freexl_close(Handle);
    }
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
    const TStreamScan scan = reader.Scan(stream);

    TFreeXl book;
    if (const int rc = freexl_open(FileName.c_str(), &book.Handle); rc != FREEXL_OK)
        reader.Fail(reader.LibraryFailure(rc));
    unsigned info = 0;
    if (freexl_get_info(book.Handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        reader.Fail("it is encrypted");
    unsigned sheets = 0;
    if (freexl_get_info(book.Handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) reader.Fail("it is damaged");
    if (sheets == 0) reader.Fail("it has no sheet");
    // The library's sheets are the workbook's, or its worksheets alone.
    const std::vector<std::uint32_t>& offsets =
        sheets == scan.SheetOffsets.size() ? scan.SheetOffsets : scan.WorksheetOffsets;
    if (sheets != offsets.size()) reader.Fail("its list of sheets is damaged");

    TXlsxSheet result;
    for (unsigned s = 0; s < sheets; ++s) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(book.Handle, static_cast<unsigned short>(s), &name) != FREEXL_OK)
            reader.Fail("its list of sheets is damaged");
        const std::string_view n = name ? name : "";
        if (Utf8Chars(n) > kXlsxMaxCellChars)
            reader.Fail("a sheet name is longer than " + std::to_string(kXlsxMaxCellChars) + " characters");
        result.SheetNames.emplace_back(n);
    }
    if (SheetIndex < 0 || SheetIndex >= static_cast<int>(sheets))
        reader.Fail("it has no sheet number " + std::to_string(SheetIndex + 1));

    const unsigned maxRows = static_cast<unsigned>(MaxRows), maxCols = static_cast<unsigned>(MaxColumns);
    bool moreRows = false;
    const TSheetMarks marks = reader.CellMarks(stream, offsets[static_cast<std::size_t>(SheetIndex)], scan.CodePage,
                                               maxRows, maxCols, moreRows);
    if (freexl_select_active_worksheet(book.Handle, static_cast<unsigned short>(SheetIndex)) != FREEXL_OK)
        reader.Fail("sheet \"" + result.SheetNames[static_cast<std::size_t>(SheetIndex)] + "\" is damaged");
    unsigned rows = 0;
    unsigned short cols = 0;
    if (freexl_worksheet_dimensions(book.Handle, &rows, &cols) != FREEXL_OK)
        reader.Fail("sheet \"" + result.SheetNames[static_cast<std::size_t>(SheetIndex)] + "\" is damaged");

    result.Cells.assign(maxRows, std::vector<std::string>(maxCols));
    std::uint64_t textHeld = 0;
    const unsigned readCols = std::min<unsigned>(cols, maxCols);
    // Every cell read, also those past the size the library gives.
    for (unsigned r = 0; r < std::max(rows, maxRows); ++r) {
        for (unsigned c = 0; c < (r < maxRows ? maxCols : readCols); ++c) {
            FreeXL_CellValue value{};
            value.type = FREEXL_CELL_NULL;
            if (r < rows && c < readCols &&
                freexl_get_cell_value(book.Handle, r, static_cast<unsigned short>(c), &value) != FREEXL_OK)
                reader.Fail("cell " + CellName(r, c) + " is damaged");
            if (r >= maxRows) {
                // A value below the rows read: the reading stops at its limit.
                if (value.type != FREEXL_CELL_NULL &&
                    !((value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT) &&
                      (!value.value.text_value || !*value.value.text_value)))
                    moreRows = true;
                continue;
            }
            const TCellMark mark = marks.Marks[static_cast<std::size_t>(r) * maxCols + c];
            const TCellKind kind = mark.Kind;
            std::string text;
            if (kind == TCellKind::True || kind == TCellKind::False) {
                text = kind == TCellKind::True ? "TRUE" : "FALSE";
            } else if (kind == TCellKind::Error) {
                reader.Fail("cell " + CellName(r, c) + " holds the error value " + TXlsReader::ErrorName(mark.ErrorCode) +
                            "instead of a value");
            } else if (kind == TCellKind::Refused) {
                reader.Fail("cell " + CellName(r, c) + " " + marks.Texts[mark.Text]);
            } else if (kind == TCellKind::Stored) {
                text = marks.Texts[mark.Text];
            } else if (value.type == FREEXL_CELL_NULL) {
            } else if (value.type == FREEXL_CELL_INT) {
                text = std::to_string(value.value.int_value);
            } else if (value.type == FREEXL_CELL_DOUBLE) {
                if (!std::isfinite(value.value.double_value)) reader.Fail("cell " + CellName(r, c) + " holds no number");
                text = SpreadsheetNumberText(value.value.double_value);
            } else {
                // Texts, and dates and times as the library writes them.
                text = value.value.text_value ? value.value.text_value : "";
                if (Utf8Chars(text) > kXlsxMaxCellChars)
                    reader.Fail("cell " + CellName(r, c) + " holds more than " + std::to_string(kXlsxMaxCellChars) +
                                " characters, the most a cell may hold");
            }
            textHeld += text.size();
            if (textHeld > kXlsxMaxTextHeld)
                reader.Fail("the cells read hold more than " + Megabytes(kXlsxMaxTextHeld) +
                            " of text, the most a sheet may hold");
            result.Cells[r][c] = std::move(text);
        }
        if (r >= maxRows && moreRows) break;
    }
    result.MoreRows = moreRows;
    return result;
}

}  // namespace platform
