// The offcut rack and part rack pages, the slot-count dialog, the grouped rack
// report dialog, and the stock-update buttons of the layout page.
#pragma once

#include <QDialog>
#include <QObject>
#include <string>
#include <vector>

#include "app/core/racks.h"
#include "app/core/stock_update.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TSDIAppForm;
class TStringGridModel;

// `TFormInputSlotQty`: asks for the slot count of a rack reset.
class TFormInputSlotQty : public QDialog {
    Q_OBJECT
  public:
    TFormInputSlotQty(TMainData& Data, const QString& Title, QWidget* Parent);
    QLineEdit* LabeledEditSlotNumber() { return edit_; }
    void ButtonYesSlotClick();
    void reject() override;

  private:
    TMainData& data_;
    QLineEdit* edit_;
};

// `TFormReportOffcutsRack`: the grouped report of a rack, with its print button.
class TFormReportOffcutsRack : public QDialog {
    Q_OBJECT
  public:
    TFormReportOffcutsRack(TRackReport Report, const QString& Title, const QString& PrintCaption,
                           std::vector<std::string> HeaderLines, QWidget* Parent);
    const TRackReport& Report() const { return report_; }
    void ButtonPrintReportOffcutsRackClick();

  private:
    TRackReport report_;
    std::vector<std::string> header_;
};

// One rack page (offcut rack or part rack).
class TRackPageView : public QObject {
    Q_OBJECT
  public:
    TRackPageView(TSDIAppForm& Form, bool OffcutRack);

    void ButtonResetClick();
    void ButtonDeleteSlotClick();
    void ButtonDeleteAllSlotClick();
    void ButtonSaveClick();
    void ButtonSaveAsClick();
    void ButtonLoadClick();
    void ButtonPrintClick();
    void ButtonReportClick();

    // Grid, file name and totals shown again from the data.
    void Reload();
    QTableView* Grid() { return view_; }

  private:
    TStringGrid& RackGrid();
    std::string& FileNameField();
    TRackSummaryTexts Summary();
    // The open or save dialog of a rack file; empty when cancelled.
    QString ChooseRackFile(bool Save);

    TSDIAppForm& form_;
    bool offcut_;
    TStringGridModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QLineEdit* totalArea_ = nullptr;
    QLineEdit* totalNumber_ = nullptr;
    QLineEdit* totalCost_ = nullptr;
    std::vector<QPushButton*> buttons_;
};

// The stock-update buttons: "Update All" and its steps. Each is enabled only
// while the current plan still allows it and no run is going on.
class TStockUpdateView : public QObject {
    Q_OBJECT
  public:
    explicit TStockUpdateView(TSDIAppForm& Form);

    void ButtonUpdateAllClick();
    void ButtonUpdateSheetsClick();
    void ButtonUpdatePartsClick();
    void ButtonAddOffcutToRackClick();
    void ButtonAddOffcutsToSheetsClick();
    void ButtonAddPartToRackClick();

    void UpdateEnabling();

  signals:
    // Grids were changed by an update: the pages show them again.
    void StockChanged();

  private:
    template <class Command>
    void Run(Command C);

    TSDIAppForm& form_;
    std::vector<std::pair<QPushButton*, bool TStockUpdateButtons::*>> buttons_;
};

// Prints lines under the rack page header (company, date and time, project
// title) on the printer the user picks; new pages as the lines need.
void PrintRackLines(QWidget* Parent, const std::vector<std::string>& Lines);
// The same on Printer. False when the job cannot be opened.
class QPrinter;
bool PrintRackLines(QPrinter& Printer, const std::vector<std::string>& Lines);
