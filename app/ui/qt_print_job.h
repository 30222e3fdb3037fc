// A print job on Qt's printer: a real printer or a PDF file.
//
// A job that cannot start names the printer or file in words; Qt leaves such
// a printer stuck as "active" (it refuses every later job and every change),
// so its owner replaces it with RenewPrinter.
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

// True when Printer prints somewhere: a system printer, or a PDF file it
// has a name for (with no printer set up, Qt's printer is a PDF printer
// without a file).
bool PrinterHasOutput(const QPrinter& Printer);
// A fresh printer with the page set-up, resolution and system printer of the
// old one (and its PDF file when KeepOutputFile) takes the old one's place.
void RenewPrinter(std::unique_ptr<QPrinter>& Printer, bool KeepOutputFile);

// The printed text's font on Job's canvas: black, fixed pitch, Name; its size
// Points, or with AutoPrinterFontSize the page width divided by
// AutoPrinterFontZoom.
void UsePrinterFont(platform::TPrintJob& Job, const std::string& Name, int Points);
