#include "app/core/print_commands.h"

#include <filesystem>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/core/option_file.h"
#include "app/core/option_reader.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr const char* kHelpFile = "help/tessaly_help.html";

}  // namespace

namespace {

// The edits and the reader of each printer font row, in TPrinterFontRow order.
struct TFontFields {
    std::string TOptionPage::*Size;
    std::string TOptionPage::*Name;
    void (*Read)(TOptionPage&);
};
constexpr TFontFields kFontFields[] = {
    {&TOptionPage::EditPrinterFontSize, &TOptionPage::EditPrinterFontName, ReadPrinterFontSize},
    {&TOptionPage::EditFontLabelSize, &TOptionPage::EditFontLabel, ReadPrinterFontSizeLabel},
    {&TOptionPage::EditFontDimSize, &TOptionPage::EditFontDim, ReadPrinterFontSizeDim},
    {&TOptionPage::EditFontPositionSize, &TOptionPage::EditFontPosition,
     ReadPrinterFontSizePosition},
    {&TOptionPage::EditFontCutSeqSize, &TOptionPage::EditFontCutSeq, ReadPrinterFontSizeCutSeq},
};
static_assert(std::size(kFontFields) == static_cast<std::size_t>(TPrinterFontRow::Count));

const TFontFields& Fields(TPrinterFontRow Row) {
    return kFontFields[static_cast<std::size_t>(Row)];
}

}  // namespace

std::string& PrinterFontSizeEdit(TOptionPage& Page, TPrinterFontRow Row) {
    return Page.*Fields(Row).Size;
}

std::string& PrinterFontNameEdit(TOptionPage& Page, TPrinterFontRow Row) {
    return Page.*Fields(Row).Name;
}

void ReadPrinterFontRow(TOptionPage& Page, TPrinterFontRow Row) {
    Fields(Row).Read(Page);
}

void PrinterFontChosen(TOptionPage& Page, TPrinterFontRow Row, const std::string& Name, int Size) {
    PrinterFontSizeEdit(Page, Row) = IntToStr(Size);
    PrinterFontNameEdit(Page, Row) = Name;
    if (Row != TPrinterFontRow::Text) ReadPrinterFontRow(Page, Row);
}

bool ParseLayoutsPerPage(const std::string& RowsText, const std::string& ColsText, int& Rows,
                         int& Cols, std::string& Message) {
    auto read = [&](const std::string& text, int& value) {
        try {
            value = StrToInt(Trim(text));
        } catch (const EConvertError& e) {
            Message = std::string("[") + e.what() + "]" + MsgInvalidData;
            return false;
        }
        if (value > 0) return true;
        Message = "[]" + MsgInvalidData;
        return false;
    };
    Message.clear();
    return read(RowsText, Rows) && read(ColsText, Cols);
}

void ReadPrintSetup(TOptionPage& Page, bool PartsInLayoutChecked, bool CommentChecked) {
    PartsInLayout = PartsInLayoutChecked;
    PrintingComment = CommentChecked;
    for (TPrinterFontRow row :
         {TPrinterFontRow::Text, TPrinterFontRow::Label, TPrinterFontRow::Position,
          TPrinterFontRow::Dim, TPrinterFontRow::CutSeq})
        ReadPrinterFontRow(Page, row);
    ProjectTitle = Page.EditPrintTitle;
}

const TProgramAddresses& ProgramAddresses() {
    // No web site or mailbox of this program is published yet.
    static const TProgramAddresses addresses{};
    return addresses;
}

std::string HelpFileName() {
    return kHelpFile;
}

std::string HelpFilePath() {
    return AppDir.empty() ? kHelpFile : AppDir + "/" + kHelpFile;
}

std::string LinkedPage(const std::string& Target, const std::string& ProgramFolder) {
    if (Target.starts_with("http:") || Target.starts_with("https:") ||
        Target.starts_with("mailto:"))
        return Target;
    std::error_code ec;
    if (std::filesystem::exists(Target, ec) || ProgramFolder.empty()) return Target;
    const std::string beside = ProgramFolder + "/" + kHelpFile;
    return std::filesystem::exists(beside, ec) ? beside : Target;
}

std::string HomepageTarget(const TProgramAddresses& Addresses) {
    const std::string& site = Addresses.WebSite;
    return site.empty() ? HelpFilePath() : site + "/";
}

std::string DownloadTarget(const TProgramAddresses& Addresses) {
    const std::string& site = Addresses.WebSite;
    return site.empty() ? HelpFilePath() : site + "/download.html";
}

std::string SupportMailTarget(const TProgramAddresses& Addresses) {
    const std::string& mailbox = Addresses.SupportMailbox;
    return mailbox.empty() ? HelpFilePath() : "mailto:" + mailbox;
}

std::string NoProgramOpenedMessage(const std::string& Target, bool IsFile) {
    if (!IsFile) return "No program could open " + Target + ".";
    return "No program could open the file. Open it by hand: " + Target;
}

std::string LayoutWithoutDrawingMessage(int LayoutNumber, int Rows, int Cols) {
    return "Too many rows for the page: layout " + std::to_string(LayoutNumber) +
           " would print its header without its drawing at " + std::to_string(Rows) + " x " +
           std::to_string(Cols) + " layouts to a page. Nothing was printed; choose fewer rows or "
           "columns, or print without the parts in the layout.";
}

std::string SmallDrawingQuestion(const std::vector<TPrintedDrawingSize>& Sizes, int First, int Rows,
                                 int Cols, bool PartsListed) {
    int first = -1, count = 0;
    for (std::size_t k = 0; k < Sizes.size(); ++k) {
        const TPrintedDrawingSize& s = Sizes[k];
        const double shorter = std::min(s.LengthMm, s.WidthMm);
        if (shorter <= 0 || shorter >= kSmallestReadableDrawingMm) continue;
        if (first < 0) first = static_cast<int>(k);
        ++count;
    }
    if (first < 0) return {};
    const TPrintedDrawingSize& s = Sizes[static_cast<std::size_t>(first)];
    // Tenths cut off, not rounded: a drawing just under the limit never reads as at it.
    const auto mm = [](double V) { return FloatToStrF(std::floor(V * 10) / 10, 1); };
    std::string text = "Layout " + IntToStr(First + first + 1) + " would print only " +
                       mm(s.LengthMm) + " x " + mm(s.WidthMm) + " mm large at " + IntToStr(Rows) +
                       " x " + IntToStr(Cols) + " layouts to a page, too small to read (under " +
                       FloatToStr(kSmallestReadableDrawingMm) + " mm on its shorter side)";
    if (count > 1) text += "; " + IntToStr(count - 1) + " more layout(s) as small";
    if (Rows * Cols <= 1)
        return text + (PartsListed ? ". Print anyway? Choose No to go back and print without the "
                                     "parts in the layout."
                                   : ". Print anyway?");
    return text + ". Print anyway? Choose No to go back and choose fewer rows or columns" +
           (PartsListed ? ", or print without the parts in the layout." : ".");
}

void StoreLayoutsPerPage(TWindowOptions& window, const std::string& colsText,
                         const std::string& rowsText, bool parts) {
    LayoutsPrintCol = window.EditColumnsPerPage = colsText;
    LayoutsPrintRow = window.EditRowsPerPage = rowsText;
    LayoutsPrintParts = window.CheckBoxPrintPartsInLayout = parts;
}
