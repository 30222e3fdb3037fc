#include "platform/xls_file.h"

#include "platform/inifile.h"

#include <freexl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kOleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

std::string Megabytes(std::uint64_t Bytes) { return std::to_string(Bytes >> 20) + " MB"; }

std::size_t Utf8Chars(std::string_view Text) {
    return static_cast<std::size_t>(std::count_if(Text.begin(), Text.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
}

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

// What the workbook stream says about a cell that the library reads as
// empty or as a plain number.
enum class TCellKind : unsigned char { Plain, Formula, True, False, Error };
struct TCellMark {
    TCellKind Kind = TCellKind::Plain;
    unsigned char ErrorCode = 0;
};

// The facts of the workbook stream the reading needs.
struct TStreamScan {
    std::vector<std::uint32_t> SheetOffsets, WorksheetOffsets;  // every sheet, worksheets only
    std::uint64_t CellsSpanned = 0;  // the sheets' declared sizes, summed
    std::uint64_t SharedStrings = 0;
};

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
        std::call_once(once, [] { gsf_init(); });
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
        const bool whole = ForEachRecord(Stream, 0, false, [&](unsigned Id, std::string_view Body) {
            const auto* b = reinterpret_cast<const unsigned char*>(Body.data());
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
                const std::uint64_t rows = biff8 ? Le32(b + 4) : Le16(b + 2);
                const std::uint64_t cols = Le16(b + (biff8 ? 10 : 6));
                scan.CellsSpanned += rows * cols;
                if (scan.CellsSpanned > kXlsMaxCellsSpanned) {
                    refusal = "its sheets span more than " + std::to_string(kXlsMaxCellsSpanned) +
                              " cells, the most a workbook may span";
                    return false;
                }
            } else if (Id == 0x00FC && Body.size() >= 8) {  // the shared strings
                scan.SharedStrings += Le32(b + 4);
                if (scan.SharedStrings > kXlsxMaxSharedStrings) {
                    refusal = "it holds more than " + std::to_string(kXlsxMaxSharedStrings) +
                              " shared strings, the most a workbook may hold";
                    return false;
                }
            }
            return true;
        });
        if (!refusal.empty()) Fail(refusal);
        if (!whole) Fail("its workbook stream is damaged");
        return scan;
    }

    // The kinds of the cells of the substream at Offset within the rows and
    // columns read; MoreRows is set by a formula, boolean or error below them.
    std::vector<TCellMark> CellMarks(std::string_view Stream, std::uint32_t Offset, unsigned MaxRows,
                                     unsigned MaxCols, bool& MoreRows) const {
        std::vector<TCellMark> marks(static_cast<std::size_t>(MaxRows) * MaxCols);
        if (Offset + 4u > Stream.size() || Le16(reinterpret_cast<const unsigned char*>(Stream.data()) + Offset) != 0x0809)
            Fail("its workbook stream is damaged");
        const bool whole = ForEachRecord(Stream, Offset, true, [&](unsigned Id, std::string_view Body) {
            const auto* b = reinterpret_cast<const unsigned char*>(Body.data());
            const bool formula = Id == 0x0006 || Id == 0x0206 || Id == 0x0406;
            if (!(formula || Id == 0x0205) || Body.size() < 8) return true;
            const unsigned row = Le16(b), col = Le16(b + 2);
            if (col >= MaxCols) return true;
            if (row >= MaxRows) {
                MoreRows = true;
                return true;
            }
            TCellMark& mark = marks[static_cast<std::size_t>(row) * MaxCols + col];
            if (formula) mark.Kind = TCellKind::Formula;
            else if (b[7] != 0) mark = {TCellKind::Error, b[6]};
            else mark.Kind = b[6] ? TCellKind::True : TCellKind::False;
            return true;
        });
        if (!whole) Fail("its workbook stream is damaged");
        return marks;
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
    const std::vector<TCellMark> marks =
        reader.CellMarks(stream, offsets[static_cast<std::size_t>(SheetIndex)], maxRows, maxCols, moreRows);
    if (freexl_select_active_worksheet(book.Handle, static_cast<unsigned short>(SheetIndex)) != FREEXL_OK)
        reader.Fail("sheet \"" + result.SheetNames[static_cast<std::size_t>(SheetIndex)] + "\" is damaged");
    unsigned rows = 0;
    unsigned short cols = 0;
    if (freexl_worksheet_dimensions(book.Handle, &rows, &cols) != FREEXL_OK)
        reader.Fail("sheet \"" + result.SheetNames[static_cast<std::size_t>(SheetIndex)] + "\" is damaged");

    result.Cells.assign(maxRows, std::vector<std::string>(maxCols));
    std::uint64_t textHeld = 0;
    const unsigned readCols = std::min<unsigned>(cols, maxCols);
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < readCols; ++c) {
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(book.Handle, r, static_cast<unsigned short>(c), &value) != FREEXL_OK)
                reader.Fail("cell " + CellName(r, c) + " is damaged");
            if (r >= maxRows) {
                // A value below the rows read: the reading stops at its limit.
                if (value.type != FREEXL_CELL_NULL &&
                    !((value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT) &&
                      (!value.value.text_value || !*value.value.text_value)))
                    moreRows = true;
                continue;
            }
            const TCellMark mark = marks[static_cast<std::size_t>(r) * maxCols + c];
            const TCellKind kind = mark.Kind;
            std::string text;
            if (kind == TCellKind::True || kind == TCellKind::False) {
                text = kind == TCellKind::True ? "TRUE" : "FALSE";
            } else if (kind == TCellKind::Error) {
                reader.Fail("cell " + CellName(r, c) + " holds the error value " + TXlsReader::ErrorName(mark.ErrorCode) +
                            "instead of a value");
            } else if (value.type == FREEXL_CELL_NULL) {
                if (kind == TCellKind::Formula)
                    reader.Fail("cell " + CellName(r, c) +
                                " holds a formula whose stored value cannot be read from an .xls workbook; "
                                "open it in the spreadsheet program and save it as an Excel 2007-365 "
                                "workbook (.xlsx), then import that file");
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
