#include "app/ui/label_print_job.h"

#include <QPrinter>

#include "engine/pubstr.h"

TLabelPrintJob::TLabelPrintJob(QPrinter& Printer) : printer_(Printer) {}

TLabelPrintJob::~TLabelPrintJob() {
    End();
}

bool TLabelPrintJob::Begin() {
    End();
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer_)) return false;
    painter_ = std::move(painter);
    canvas_ = std::make_unique<TQtCanvas>(*painter_, printer_.resolution());
    return true;
}

void TLabelPrintJob::NewPage() {
    if (painter_) printer_.newPage();
}

void TLabelPrintJob::End() {
    canvas_.reset();
    if (painter_) painter_->end();
    painter_.reset();
}

int TLabelPrintJob::PageWidth() const {
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).width();
}
int TLabelPrintJob::PageHeight() const {
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).height();
}
int TLabelPrintJob::Dpi() const {
    return printer_.resolution();
}

void TLabelPrintJob::UsePrinterFont(const std::string& Name, int Points) {
    if (!canvas_) return;
    platform::TCanvas& c = *canvas_;
    c.Font.Name = Name;
    c.Font.Color = platform::clBlack;
    c.Font.Pitch = platform::TFontPitch::Fixed;
    if (AutoPrinterFontSize && AutoPrinterFontZoom > 0)
        c.Font.Height = -(PageWidth() / AutoPrinterFontZoom);
    else
        c.SetFontSize(Points);
}
