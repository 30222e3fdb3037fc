// The printing commands (shown layout, all layouts several to a page, the
// report), the printer set-up, the printer fonts of the settings page, and
// the help links of the Help and File menus and the tool bar.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/desktop_open.h"
#include "app/core/print_commands.h"

class QLineEdit;
class QPrinter;
class QPushButton;
class TSDIAppForm;

class TPrinting : public QObject {
    Q_OBJECT
  public:
    explicit TPrinting(TSDIAppForm& Form);
    ~TPrinting() override;

    QPrinter& Printer() { return *printer_; }
    // From now on every print goes into this PDF file without the print
    // dialog (an empty name asks again).
    void SetOutputFile(const QString& FileName);

    void ButtonPrintCurrentPageClick() { PrintLayouts(false); }
    void ButtonPrintAllClick() { PrintLayouts(true); }
    void ButtonPrintReportClick();
    void PrintSetup1Click();

    void Contents1Click();
    void ToolButton2Click() { Contents1Click(); }
    void Homepage1Click();
    void Update1Click();
    void emailsupport1Click();
    void NeedHelp1Click() { emailsupport1Click(); }

    // Opens the targets of the help links (the help file, a web page, a
    // "mailto:" link) and of the about box (replaceable in tests).
    TDesktopOpener Opener;
    // Opens a target of the help links through Opener; a file that is
    // missing, or a target no program opened, is named in a message.
    void OpenTarget(const std::string& Target);

  protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

  private:
    // The shown layout, or all layouts several to a page.
    void PrintLayouts(bool All);
    // Shows the layouts-per-page dialog; false when it was not confirmed.
    bool LayoutsPerPage(bool EditsEnabled, int& Rows, int& Cols, QString& RowsText,
                        QString& ColsText, bool& PartsChecked);
    // The first of the layouts First..Last that would print without its
    // drawing Rows x Cols to a page of the chosen printer, or -1.
    int LayoutWithoutDrawing(int Rows, int Cols, int First, int Last);
    // The question to ask when a drawing of the layouts First..Last would be
    // too small to read Rows x Cols to a page; empty when none would.
    std::string SmallDrawings(int Rows, int Cols, int First, int Last);
    // Body(canvas, page width, page height, resolution) on a canvas that
    // measures text as the chosen printer prints it.
    template <typename F>
    auto Measure(F Body);
    // Asks for the printer (or PDF file) unless an output file is set.
    bool ChoosePrinter();
    // Runs Body inside one print job; failures are shown as messages.
    template <typename F>
    void PrintJob(F Body);
    void BuildPrinterBox();
    void InstallFontButtons();
    void EnableFontButtons();
    QPushButton* FontButton(TPrinterFontRow Kind, const char* Name, QLineEdit* NameEdit,
                            QLineEdit* SizeEdit);
    void BuildMenus();

    TSDIAppForm& form_;
    std::unique_ptr<QPrinter> printer_;
    bool askPrinter_ = true;
    std::vector<QPushButton*> fontButtons_;
    bool fontsInstalled_ = false;
};

// The printing module of the window (nullptr before InstallPrinting).
TPrinting* FindPrinting(TSDIAppForm& Form);
