// Grid import and export and the plan's exports: the import dialog, the
// export file type choice, and the commands of the sheets, parts, rack and
// layout pages that use them.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "app/core/desktop_open.h"
#include "app/core/import_data.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableView;
class TSDIAppForm;
class TStringGridModel;

// The import dialog over a TImportData: load a TAB text file or a
// spreadsheet, choose the target column of each import column, then Copy,
// Append or Cancel. Closing by the frame is Cancel.
class TFormImportData : public QDialog {
    Q_OBJECT
  public:
    TFormImportData(TImportData& Data, QWidget* Parent = nullptr);

    TImportData& Data() { return data_; }
    // Loads a file as the TXT and EXCEL buttons do once a name is chosen.
    void LoadTextFile(const std::string& FileName);
    void LoadExcelFile(const std::string& FileName, int SheetIndex);
    // Shows the model's column choices and sheet names again.
    void ShowChoices();

    int exec() override;

    QPushButton* ButtonImportTXT;
    QPushButton* ButtonImportEXCEL;
    QPushButton* ButtonOK;
    QPushButton* ButtonAppend;
    QPushButton* ButtonCancel;
    QComboBox* ComboBoxSheetName;
    std::array<QComboBox*, kImportColumns> ComboBoxes{};
    QTableView* StringGridImportData;

  private:
    void ConfirmClick(TImportResult Mode);
    void ChooseFile(bool Excel);
    void Reload();

    TImportData& data_;
    TStringGridModel* model_;
    bool filling_ = false;
};

// The export file type choice: TXT or spreadsheet, with or without titles.
class TFormExportFileTypeSelect : public QDialog {
    Q_OBJECT
  public:
    enum class TChoice { None, Txt, Excel };
    explicit TFormExportFileTypeSelect(QWidget* Parent = nullptr);
    int exec() override;

    TChoice Choice = TChoice::None;
    QPushButton* ButtonExportTXTFile;
    QPushButton* ButtonExportEXCELFile;
    QCheckBox* CheckBoxExportColumnTitle;
};

// How written files are shown to the user (the desktop's opener). Tests
// replace it; an empty one restores the desktop's.
void SetImportExportShellOpener(TDesktopOpener Opener);

// The picture of layout LayoutIndex of the plan as a bitmap file, drawn with
// the view's choices of texts and colours.
std::string LayoutPictureBitmap(TSDIAppForm& Form, int LayoutIndex);
