// A print job for labels and rack listings on a QPrinter (a real printer or a
// PDF file): pages in device pixels, drawn through the program's canvas.
#pragma once

#include <QPainter>
#include <memory>
#include <string>

#include "app/ui/qt_canvas.h"

class QPrinter;

class TLabelPrintJob {
  public:
    // The printer stays the caller's; it must outlive the job.
    explicit TLabelPrintJob(QPrinter& Printer);
    ~TLabelPrintJob();

    // Starts the job; false when the printer (or the PDF file) cannot be opened.
    bool Begin();
    void NewPage();
    // Ends the job; called by the destructor when still open.
    void End();

    bool Active() const { return painter_ != nullptr; }
    // The printed text's font: black, fixed pitch, Name; its size Points, or
    // with AutoPrinterFontSize the page width divided by AutoPrinterFontZoom.
    void UsePrinterFont(const std::string& Name, int Points);
    platform::TCanvas& Canvas() { return *canvas_; }
    int PageWidth() const;   // device pixels
    int PageHeight() const;  // device pixels
    int Dpi() const;

  private:
    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TQtCanvas> canvas_;
};
