// `TFormPrintLabel`: the label dialog. It shows the labels the main window
// filled in, the page and label description with its preview, and prints all
// labels or the selected ones from a start position on the first page, to a
// printer or a PDF file. Label schemes are loaded and saved through app/core.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>
#include <vector>

#include "app/core/label_data.h"
#include "app/core/label_list.h"
#include "app/core/label_schemes.h"

class QComboBox;
class QLineEdit;
class QTableView;
class QTableWidget;
class QWidget;
class TSDIAppForm;
class TStringGridModel;

class TFormPrintLabel : public QDialog {
    Q_OBJECT
  public:
    explicit TFormPrintLabel(QWidget* Parent);

    // The labels (row 0: field names) and the dialog's page description.
    TStringGrid& StringGridLabelData() { return labels_; }
    TLabelDialogState& State() { return state_; }
    QPrinter& Printer() { return *printer_; }
    QComboBox* ComboBoxLabelSchemes() { return schemes_; }
    QTableView* DataView() { return dataView_; }
    QWidget* Preview() { return preview_; }

    // The texts of the dialog from the interface captions, and the list of
    // labels shown again after the caller filled it.
    void RefreshPrintLabelCaption();
    void onshowlabelprint();

    // Checks the label's content, the page description and the start
    // position, then prints data rows From..To (1-based). A blank label or a
    // refused description is a message with the focus on its control, and
    // opens no print job. With no printer set up it asks for a PDF file
    // first. A job that fails is a message saying what failed; the printer
    // is ready for the next job (which asks for a file again). False when
    // nothing was printed.
    bool PrintLabels(int From, int To);
    bool ButtonPrintAllLabelClick();
    bool ButtonPrintSelectedClick();
    void ButtonPrintSetupClick();
    void ButtonLabelFontSetupClick();
    void ButtonSaveLabelSchemeClick();
    void ButtonMergeTheSameClick();
    void onchangeLabelScheme();

    // Page size of the printer in inches.
    double PageWidthInches() const;
    double PageHeightInches() const;
    // The layout check as the preview runs it: false (and a warning) when refused.
    bool ValidateLabelLayout();

  private:
    void Build();
    void LoadControls();
    void FillFormatGrid();
    void RefreshPreview();
    void PaintPreview(QWidget* On);
    bool Refuse(const struct TLabelCheck& Check);
    std::vector<std::string> FieldNames() const;

    TStringGrid labels_;
    TLabelSortState sort_;
    TLabelDialogState state_;
    TLabelGeometry geometry_;
    std::unique_ptr<QPrinter> printer_;
    TStringGridModel* dataModel_ = nullptr;
    QTableView* dataView_ = nullptr;
    QTableWidget* formatGrid_ = nullptr;
    QWidget* preview_ = nullptr;
    QComboBox* schemes_ = nullptr;
    std::vector<QComboBox*> fieldBoxes_;  // the two title fields
    std::vector<std::function<void()>> loaders_;
    bool loading_ = false;
    bool previewRefused_ = false;
};

// The six label commands of the main window: fill the dialog with the labels
// of Kind, choose the scheme last used for that kind, show the dialog, and
// remember the scheme chosen. A grid that cannot be read is reported and the
// dialog is not shown.
void ShowLabelDialog(TSDIAppForm& Form, TLabelKind Kind);
// The label buttons of the sheets, parts and free-shape pages.
void InstallLabelButtons(TSDIAppForm& Form);
// The window's label dialog (made at the first use).
TFormPrintLabel& FormPrintLabel(TSDIAppForm& Form);
