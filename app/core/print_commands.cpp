#include "app/core/print_commands.h"

#include "app/core/option_reader.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr const char* kHelpFile = "help/tessaly_help.html";

}  // namespace

std::string& PrinterFontSizeEdit(TOptionPage& Page, TPrinterFontRow Row) {
    switch (Row) {
        case TPrinterFontRow::Label:
            return Page.EditFontLabelSize;
        case TPrinterFontRow::Dim:
            return Page.EditFontDimSize;
        case TPrinterFontRow::Position:
            return Page.EditFontPositionSize;
        case TPrinterFontRow::CutSeq:
            return Page.EditFontCutSeqSize;
        default:
            return Page.EditPrinterFontSize;
    }
}

std::string& PrinterFontNameEdit(TOptionPage& Page, TPrinterFontRow Row) {
    switch (Row) {
        case TPrinterFontRow::Label:
            return Page.EditFontLabel;
        case TPrinterFontRow::Dim:
            return Page.EditFontDim;
        case TPrinterFontRow::Position:
            return Page.EditFontPosition;
        case TPrinterFontRow::CutSeq:
            return Page.EditFontCutSeq;
        default:
            return Page.EditPrinterFontName;
    }
}

void ReadPrinterFontRow(TOptionPage& Page, TPrinterFontRow Row) {
    switch (Row) {
        case TPrinterFontRow::Label:
            ReadPrinterFontSizeLabel(Page);
            break;
        case TPrinterFontRow::Dim:
            ReadPrinterFontSizeDim(Page);
            break;
        case TPrinterFontRow::Position:
            ReadPrinterFontSizePosition(Page);
            break;
        case TPrinterFontRow::CutSeq:
            ReadPrinterFontSizeCutSeq(Page);
            break;
        default:
            ReadPrinterFontSize(Page);
            break;
    }
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

std::string HomepageTarget() {
    const std::string& site = ProgramAddresses().WebSite;
    return site.empty() ? HelpFilePath() : site + "/";
}

std::string DownloadTarget() {
    const std::string& site = ProgramAddresses().WebSite;
    return site.empty() ? HelpFilePath() : site + "/download.html";
}

std::string SupportMailTarget() {
    const std::string& mailbox = ProgramAddresses().SupportMailbox;
    return mailbox.empty() ? HelpFilePath() : "mailto:" + mailbox;
}
