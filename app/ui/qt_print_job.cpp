#include "app/ui/qt_print_job.h"

#include <QPrinter>

#include "app/core/main_data.h"
#include "engine/pubstr.h"
#include "platform/atomic_save.h"

namespace {

// The printer or file in words, for a message.
std::string PrinterName(const QPrinter& P) {
    if (P.outputFormat() == QPrinter::PdfFormat) {
        if (P.outputFileName().isEmpty()) return "no printer (no printer is set up and no PDF file chosen)";
        return "the PDF file \"" + FromQFileName(P.outputFileName()) + "\"";
    }
    return "the printer \"" + FromQString(P.printerName()) + "\"";
}

}  // namespace

TQtPrintJob::~TQtPrintJob() {
    if (painter_.isActive()) {
        printer_.abort();
        painter_.end();
    }
}

void TQtPrintJob::BeginDoc() {
    // A PDF file is a save like any other: a folder that takes no save
    // (its stopped save could not be settled) takes no PDF either.
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty()) {
        try {
            RefuseSaveInUnsettledFolder(FromQFileName(printer_.outputFileName()));
        } catch (const platform::IniWriteError& e) {
            throw platform::TPrintError(e.what());
        }
    }
    if (!painter_.begin(&printer_)) {
        std::string why = "cannot start printing on " + PrinterName(printer_);
        if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty())
            why += ": its folder is missing or write-protected, or the file is open elsewhere";
        throw platform::TPrintError(why);
    }
    canvas_ = std::make_unique<TQtCanvas>(painter_, printer_.resolution());
}

void TQtPrintJob::NewPage() {
    if (!printer_.newPage())
        throw platform::TPrintError("cannot start a new page on " + PrinterName(printer_));
}

void TQtPrintJob::EndDoc() {
    if (painter_.isActive() && !painter_.end())
        throw platform::TPrintError("cannot finish printing on " + PrinterName(printer_));
    if (printer_.printerState() == QPrinter::Error)
        throw platform::TPrintError("printing failed on " + PrinterName(printer_));
}

platform::TCanvas& TQtPrintJob::Canvas() {
    if (!canvas_) throw platform::TPrintError("the print job has not started");
    return *canvas_;
}

int TQtPrintJob::PageWidth() const {
    return printer_.width();
}
int TQtPrintJob::PageHeight() const {
    return printer_.height();
}
int TQtPrintJob::Resolution() const {
    return printer_.resolution();
}

bool PrinterHasOutput(const QPrinter& Printer) {
    if (Printer.outputFormat() == QPrinter::PdfFormat) return !Printer.outputFileName().isEmpty();
    return Printer.isValid() && !Printer.printerName().isEmpty();
}

void RenewPrinter(std::unique_ptr<QPrinter>& Printer, bool KeepOutputFile) {
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    fresh->setResolution(Printer->resolution());
    if (Printer->outputFormat() == QPrinter::NativeFormat)
        fresh->setPrinterName(Printer->printerName());
    else if (KeepOutputFile) {
        fresh->setOutputFormat(QPrinter::PdfFormat);
        fresh->setOutputFileName(Printer->outputFileName());
    }
    fresh->setPageLayout(Printer->pageLayout());
    Printer = std::move(fresh);
}

void UsePrinterFont(platform::TPrintJob& Job, const std::string& Name, int Points) {
    platform::TCanvas& c = Job.Canvas();
    c.Font.Name = Name;
    c.Font.Color = platform::clBlack;
    c.Font.Pitch = platform::TFontPitch::Fixed;
    if (AutoPrinterFontSize && AutoPrinterFontZoom > 0)
        c.Font.Height = -(Job.PageWidth() / AutoPrinterFontZoom);
    else
        c.SetFontSize(Points);
}
