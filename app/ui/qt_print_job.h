// A print job on Qt's printer: a real printer or a PDF file.
#pragma once

#include <QPainter>
#include <memory>
#include <string>

#include "app/ui/qt_canvas.h"
#include "platform/print_job.h"

class QPrinter;

class TQtPrintJob : public platform::TPrintJob {
  public:
    explicit TQtPrintJob(QPrinter& Printer) : printer_(Printer) {}
    // A job left unfinished (after an error) is abandoned.
    ~TQtPrintJob() override;

    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    platform::TCanvas& Canvas() override;
    int PageWidth() const override;
    int PageHeight() const override;
    int Resolution() const override;

  private:
    QPrinter& printer_;
    QPainter painter_;
    std::unique_ptr<TQtCanvas> canvas_;
};

// The printed text's font on Job's canvas: black, fixed pitch, Name; its size
// Points, or with AutoPrinterFontSize the page width divided by
// AutoPrinterFontZoom.
void UsePrinterFont(platform::TPrintJob& Job, const std::string& Name, int Points);
