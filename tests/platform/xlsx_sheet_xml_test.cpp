// The spreadsheet reader on worksheets written by hand here, and the bytes
// the writer stores, each on its own: a fault that the reader and the writer
// share would still pass a round trip through both.
#include <gtest/gtest.h>

#include <unzip.h>
#include <zip.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/xlsx_file.h"
#include "support/scratch.h"

namespace {

const char* const kWorkbook =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"parts\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const char* const kRelations =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/></Relationships>";

// A workbook of one sheet whose sheetData holds Rows as written.
void WriteWorkbook(const std::string& File, const std::string& Rows) {
    const std::string sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
        Rows + "</sheetData></worksheet>";
    zipFile z = zipOpen(File.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(z, nullptr);
    const std::pair<const char*, std::string> parts[] = {{"xl/workbook.xml", kWorkbook},
                                                         {"xl/_rels/workbook.xml.rels", kRelations},
                                                         {"xl/worksheets/sheet1.xml", sheet}};
    for (const auto& [name, text] : parts) {
        ASSERT_EQ(zipOpenNewFileInZip(z, name, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0), ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(z, text.data(), static_cast<unsigned>(text.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(z), ZIP_OK);
    }
    ASSERT_EQ(zipClose(z, nullptr), ZIP_OK);
}

// The unpacked bytes of one part of a zip file (empty when it is missing).
std::string ZipPart(const std::string& File, const char* Part) {
    unzFile z = unzOpen(File.c_str());
    if (!z) return {};
    std::string out;
    if (unzLocateFile(z, Part, 1) == UNZ_OK && unzOpenCurrentFile(z) == UNZ_OK) {
        char buffer[4096];
        int n = 0;
        while ((n = unzReadCurrentFile(z, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
        unzCloseCurrentFile(z);
    }
    unzClose(z);
    return out;
}

std::string ErrorOf(const std::string& File, int Rows, int Cols) {
    try {
        platform::ReadXlsxSheet(File, 0, Rows, Cols);
    } catch (const platform::XlsxError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

// Each cell is judged on its own: what the cell before it held (a stored
// value, an open row) says nothing about it.
TEST(XlsxSheetXml, EachCellIsReadOnItsOwn) {
    const struct {
        const char* Name;
        const char* Rows;
        const char* Refusal;  // empty: read as Cells
        std::vector<std::string> Cells;
    } cases[] = {
        // A program that does not calculate writes formulas with no value
        // element or with an empty one.
        {"no value after a value",
         "<row r=\"1\"><c r=\"A1\"><f>1+1</f><v>2</v></c><c r=\"B1\" t=\"str\"><f>A1&amp;\"x\"</f></c></row>",
         "cell B1 holds a formula with no stored value", {}},
        {"empty value", "<row r=\"1\"><c r=\"A1\"><v>5</v></c><c r=\"B1\"><f>100*3</f><v></v></c></row>",
         "cell B1 holds a formula with no stored value", {}},
        {"empty value element", "<row r=\"1\"><c r=\"A1\"><f>2*2</f><v/></c></row>",
         "cell A1 holds a formula with no stored value", {}},
        {"empty boolean value", "<row r=\"1\"><c r=\"A1\" t=\"b\"><f>1&gt;2</f><v></v></c></row>",
         "cell A1 holds a formula with no stored value", {}},
        // A text formula may give an empty text.
        {"empty text result",
         "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>\"\"</f><v></v></c><c r=\"B1\"><f>1+1</f><v>2</v></c></row>", "",
         {"", "2"}},
        {"cell between rows",
         "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><c r=\"B1\"><v>2</v></c><row r=\"2\"><c r=\"A2\"><v>3</v></c></row>",
         "cell \"B1\" lies outside a row", {}},
        // Escapes decode wherever they stand, the last characters of a cell too.
        {"escape at the end", "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Door_x000D_</t></is></c>"
                              "<c r=\"B1\" t=\"inlineStr\"><is><t>_x0041_</t></is></c></row>",
         "", {"Door\r", "A"}},
        {"escaped underscore at the end",
         "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>B1</f><v>a_x005F_</v></c>"
         "<c r=\"B1\" t=\"inlineStr\"><is><t>_x005F_x0041_</t></is></c></row>",
         "", {"a_", "_x0041_"}},
    };
    testsupport::ScratchDir dir;
    int n = 0;
    for (const auto& c : cases) {
        const std::string file = dir.File("case" + std::to_string(n++) + ".xlsx");
        WriteWorkbook(file, c.Rows);
        const std::string error = ErrorOf(file, 2, 2);
        if (*c.Refusal) {
            EXPECT_NE(error.find(c.Refusal), std::string::npos) << c.Name << ": " << error;
            EXPECT_NE(error.find(file), std::string::npos) << c.Name;
            continue;
        }
        ASSERT_EQ(error, "") << c.Name;
        EXPECT_EQ(platform::ReadXlsxSheet(file, 0, 1, 2).Cells[0], c.Cells) << c.Name;
    }
}

// What the writer stores for texts that hold a control character or look
// like an escape, at the start, inside and at the very end of a cell.
TEST(XlsxSheetXml, WriterStoresEscapesWhereverTheyStand) {
    testsupport::ScratchDir dir;
    const std::string file = dir.File("grid.xlsx");
    platform::WriteXlsxFile(file, "parts", {{"Door\r", "_x0041_", "a_x0041_", "x_x0041_y"}});
    std::string xml = ZipPart(file, "xl/sharedStrings.xml") + ZipPart(file, "xl/worksheets/sheet1.xml");
    ASSERT_NE(xml, "");
    for (const char* stored : {">Door_x000D_<", ">_x005F_x0041_<", ">a_x005F_x0041_<", ">x_x005F_x0041_y<"})
        EXPECT_NE(xml.find(stored), std::string::npos) << stored << " in\n" << xml;
}
