#include "app/ui/qt_print_job.h"

#include <QPrinter>

#include "engine/pubstr.h"

namespace {

std::string PrinterName(const QPrinter& P) {
    return FromQString(P.outputFileName().isEmpty() ? P.printerName() : P.outputFileName());
}

}  // namespace

TQtPrintJob::~TQtPrintJob() {
    if (painter_.isActive()) {
        printer_.abort();
        painter_.end();
    }
}

void TQtPrintJob::BeginDoc() {
    if (!painter_.begin(&printer_))
        throw platform::TPrintError("cannot start printing on " + PrinterName(printer_));
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
