#include "app/ui/import_export.h"

#include <QBoxLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTableView>
#include <cmath>
#include <filesystem>

#include "app/core/desktop_open.h"
#include "app/core/grid_text_files.h"
#include "app/core/main_window.h"
#include "app/core/plan_exports.h"
#include "app/ui/desktop_opener.h"
#include "app/ui/dialogs.h"
#include "app/ui/flow_layout.h"
#include "app/ui/grid_model.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/gcode_layout.h"
#include "output/piece_draw.h"
#include "platform/message_sink.h"

namespace {

TDesktopOpener& Opener() {
    static TDesktopOpener opener;
    return opener;
}

// A file name through the window's file dialog, FileName offered in Folder.
std::string ChooseFileName(QWidget* Parent, bool Save, const std::string& Title, const std::string& Folder,
                           const std::string& Filter, const std::string& DefaultExt,
                           const std::string& FileName) {
    const std::string start =
        FileName.empty() ? Folder : Folder.empty() ? FileName : Folder + "/" + FileName;
    return ChooseFile(Parent, Save, Title, Filter, start, DefaultExt);
}

// A Qt filter "Title (*.ext)" and the folder of a chosen file.
std::string Filter(const std::string& Title, const char* Pattern) { return Title + " (" + Pattern + ")"; }
std::string FolderOf(const std::string& FileName) {
    return std::filesystem::path(FileName).parent_path().string();
}

QPushButton* AddButton(QBoxLayout* Tools, const char* Name, const std::string& Caption) {
    auto* button = new QPushButton(ToQString(Caption));
    button->setObjectName(Name);
    Tools->addWidget(button);
    return button;
}

// One grid's export: the grid, its worksheet name and its folders.
struct TGridExport {
    TStringGrid TMainData::*Grid;
    const char* Button;
    const char* SheetName;
    std::string* ExcelFolder;
    std::string* TxtFolder;
    TSDIAppForm::TPage Page;
};

}  // namespace

void SetImportExportShellOpener(TDesktopOpener O) { Opener() = std::move(O); }

// ---------------------------------------------------------------- import dialog

TFormImportData::TFormImportData(TImportData& Data, QWidget* Parent) : QDialog(Parent), data_(Data) {
    setObjectName("FormImportData");
    setWindowTitle("Import");
    // The commands wrap into lines and the column choices narrow down to a
    // few characters each, so that the dialog fits a small screen.
    auto* layout = new QVBoxLayout(this);
    auto* tools = new TFlowBoxLayout;
    ButtonImportTXT = new QPushButton("TXT");
    ButtonImportEXCEL = new QPushButton("EXCEL");
    ComboBoxSheetName = new QComboBox;
    ButtonOK = new QPushButton("Copy");
    ButtonAppend = new QPushButton("Append");
    ButtonCancel = new QPushButton("Cancel");
    for (QWidget* w : {static_cast<QWidget*>(ButtonImportTXT), static_cast<QWidget*>(ButtonImportEXCEL),
                       static_cast<QWidget*>(ComboBoxSheetName)})
        tools->addWidget(w);
    tools->addStretch();
    for (QPushButton* b : {ButtonOK, ButtonAppend, ButtonCancel}) tools->addWidget(b);
    layout->addLayout(tools);

    auto* combos = new QGridLayout;
    for (int c = 0; c < kImportColumns; ++c) {
        ComboBoxes[c] = new QComboBox;
        ComboBoxes[c]->setObjectName(QString("ComboBox%1").arg(c + 1));
        ComboBoxes[c]->setMaxVisibleItems(16);
        // Each takes its share of the row, however long its entries.
        ComboBoxes[c]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        ComboBoxes[c]->setMinimumWidth(40);
        combos->addWidget(ComboBoxes[c], 0, c);
        connect(ComboBoxes[c], &QComboBox::currentIndexChanged, this, [this, c](int i) {
            if (!filling_) data_.ComboIndex[c] = std::max(0, i);
        });
    }
    layout->addLayout(combos);

    model_ = new TStringGridModel(Data.StringGridImportData, this);
    StringGridImportData = new QTableView;
    StringGridImportData->setModel(model_);
    StringGridImportData->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGridImportData->verticalHeader()->setDefaultSectionSize(18);
    layout->addWidget(StringGridImportData);
    resize(900, 500);
    FitDialogToScreen(*this);

    connect(ButtonImportTXT, &QPushButton::clicked, this, [this] { ChooseFile(false); });
    connect(ButtonImportEXCEL, &QPushButton::clicked, this, [this] { ChooseFile(true); });
    connect(ComboBoxSheetName, &QComboBox::activated, this,
            [this](int i) { LoadExcelFile(ImportFileName, i); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { ConfirmClick(TImportResult::Copy); });
    connect(ButtonAppend, &QPushButton::clicked, this, [this] { ConfirmClick(TImportResult::Append); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TFormImportData::exec() {
    data_.Activate();
    ShowChoices();
    return QDialog::exec();
}

void TFormImportData::ShowChoices() {
    filling_ = true;
    for (int c = 0; c < kImportColumns; ++c) {
        ComboBoxes[c]->clear();
        for (const std::string& item : data_.ComboItems) ComboBoxes[c]->addItem(ToQString(item));
        ComboBoxes[c]->setCurrentIndex(data_.ComboIndex[c]);
    }
    ComboBoxSheetName->clear();
    for (const std::string& name : data_.SheetNames) ComboBoxSheetName->addItem(ToQString(name));
    ComboBoxSheetName->setCurrentIndex(data_.SheetNames.empty() ? -1 : data_.SheetIndex);
    filling_ = false;
}

void TFormImportData::Reload() {
    model_->Reload();
    ShowChoices();
}

// A refused file empties the grid too.
void TFormImportData::LoadTextFile(const std::string& FileName) {
    data_.LoadTextFile(FileName);
    Reload();
}

void TFormImportData::LoadExcelFile(const std::string& FileName, int SheetIndex) {
    data_.LoadExcelFile(FileName, SheetIndex);
    Reload();
}

void TFormImportData::ChooseFile(bool Excel) {
    std::string& folder = Excel ? (ImportSheetsMode ? DirImportSheetsExcel : DirImportPartsExcel)
                                : (ImportSheetsMode ? DirImportSheetsTxt : DirImportPartsTxt);
    const std::string name =
        ChooseFileName(this, false, MsgOpenFileTitle, folder,
                       Filter(MsgOpenFileTitle, Excel ? "*.xls *.xlsx" : "*.txt"), Excel ? "xlsx" : "txt", "");
    if (name.empty()) return;
    folder = FolderOf(name);
    if (Excel) LoadExcelFile(name, 0);
    else LoadTextFile(name);
}

void TFormImportData::ConfirmClick(TImportResult Mode) {
    const int focus = data_.Confirm(Mode);
    if (focus < 0) accept();
    else if (focus < kImportColumns) ComboBoxes[focus]->setFocus();
}

// ---------------------------------------------------------- export type choice

TFormExportFileTypeSelect::TFormExportFileTypeSelect(QWidget* Parent) : QDialog(Parent) {
    setObjectName("FormExportFileTypeSelect");
    setWindowTitle("Export");
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    ButtonExportTXTFile = new QPushButton("TXT");
    ButtonExportEXCELFile = new QPushButton("EXCEL");
    buttons->addWidget(ButtonExportTXTFile);
    buttons->addWidget(ButtonExportEXCELFile);
    layout->addLayout(buttons);
    CheckBoxExportColumnTitle = new QCheckBox("Export Fields Name");
    layout->addWidget(CheckBoxExportColumnTitle);
    connect(ButtonExportTXTFile, &QPushButton::clicked, this, [this] {
        Choice = TChoice::Txt;
        accept();
    });
    connect(ButtonExportEXCELFile, &QPushButton::clicked, this, [this] {
        Choice = TChoice::Excel;
        accept();
    });
}

int TFormExportFileTypeSelect::exec() {
    Choice = TChoice::None;
    return QDialog::exec();
}

// -------------------------------------------------------------- layout pictures

std::string LayoutPictureBitmap(TSDIAppForm& Form, int LayoutIndex) {
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    const TMainWindowCore& core = Form.Core();
    const double scale = LayoutPictureScale(layout.Length, layout.Width);
    QImage image(static_cast<int>(std::lround(layout.Length * scale)) + 1,
                 static_cast<int>(std::lround(layout.Width * scale)) + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        for (int i = 0; i < layout.Placements.Count(); ++i) {
            const T2DStock& piece = layout.Placements[i];
            if (!LayoutPieceIsExported(piece) || !IsPieceShown(piece)) continue;
            DrawPiece(piece, {0, 0}, canvas, scale, core.Window.ShowLabel, core.Window.ShowLengthXWidth,
                      core.Window.ShowXYPos, core.Colors.Parts, core.Colors.Offcuts, true);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) throw std::runtime_error("the picture cannot be made");
    return bytes.toStdString();
}

// ------------------------------------------------------------------ the module

namespace {

class TImportExport : public QObject {
  public:
    explicit TImportExport(TSDIAppForm& Form) : QObject(&Form), form_(Form) {}

    void ButtonImportClick(bool Sheets) {
        TImportData& data = importData_;
        PrepareImport(data, form_.Core().Data, Sheets);
        TFormImportData dialog(data, &form_);
        dialog.setWindowTitle(Caption(Sheets ? "ButtonImportSheets" : "ButtonImportParts", ImportCaption));
        dialog.ButtonOK->setText(ToQString(ConfirmDataCaption));
        dialog.ButtonCancel->setText(ToQString(CancelDataCaption));
        dialog.exec();
        if (ApplyImport(form_.Core().Data, Sheets, data)) form_.NotifyGridsReloaded();
    }

    void ButtonExportClick(const TGridExport& Grid) {
        TFormExportFileTypeSelect dialog(&form_);
        dialog.setWindowTitle(Caption(Grid.Button, ExportCaption));
        dialog.CheckBoxExportColumnTitle->setText(ToQString(IncludeColumnTitlesCaption));
        dialog.CheckBoxExportColumnTitle->setChecked(withTitles_);
        dialog.exec();
        withTitles_ = dialog.CheckBoxExportColumnTitle->isChecked();
        if (dialog.Choice == TFormExportFileTypeSelect::TChoice::None) return;
        const bool excel = dialog.Choice == TFormExportFileTypeSelect::TChoice::Excel;
        std::string& folder = *(excel ? Grid.ExcelFolder : Grid.TxtFolder);
        const std::string name =
            ChooseFileName(&form_, true, MsgSaveAsFileTitle, folder,
                           Filter(MsgSaveAsFileTitle, excel ? "*.xlsx" : "*.txt"), excel ? "xlsx" : "txt", "");
        if (name.empty()) return;
        folder = FolderOf(name);
        const TStringGrid& grid = form_.Core().Data.*Grid.Grid;
        if (excel) WriteGridExcelFile(grid, Grid.SheetName, name, withTitles_);
        else WriteGridTxtFile(grid, name, withTitles_);
    }

    // The plan exports: the file name, then Export(name, written files).
    template <class F>
    void PlanExport(std::string& Folder, const char* Pattern, const char* DefaultExt, F Export) {
        if (!PlanHasLayouts()) return;
        const std::string name =
            ChooseFileName(&form_, true, MsgSaveAsFileTitle, Folder, Filter(MsgSaveAsFileTitle, Pattern),
                           DefaultExt, form_.Core().Page.EditPrintTitle);
        if (name.empty()) return;
        Folder = FolderOf(name);
        std::vector<std::string> written;
        Export(name, written);
    }

    void ButtonSaveToHtmlClick() {
        PlanExport(DirExportHtml, "*.html", "html", [this](const std::string& Name, auto& Written) {
            const bool ok = HtmlReport(
                form_.Core().ListBoxReport, Name, [this](int i) { return LayoutPictureBitmap(form_, i); },
                Written);
            // The two lists, then the page.
            std::vector<std::string> show(
                Written.begin(), Written.begin() + std::min<std::size_t>(Written.size(), 2));
            if (ok) show.push_back(Written.back());
            OpenForUser(Opener() ? Opener() : DesktopOpener(&form_), show);
        });
    }
    void ButtonExportDXFClick() {
        PlanExport(DirExportDxf, "*.dxf", "",
                   [](const std::string& Name, auto& Written) { ExportLayoutsDxf(Name, Written); });
    }
    void ButtonExportGCodeClick() {
        PlanExport(DirExportCnc, "*.gnc", "", [this](const std::string& Name, auto& Written) {
            const TOptionPage& page = form_.Core().Page;
            ExportLayoutsGCode(Name, page.EditDrillDepth, page.EditSafetyHeigth, Written);
        });
    }

    QString Caption(const char* Control, const std::string& Default) const {
        const std::string c = form_.Core().Captions.Caption(Control);
        return ToQString(c.empty() ? Default : c);
    }

  private:
    TSDIAppForm& form_;
    TImportData importData_;
    bool withTitles_ = false;  // "Include Column Titles", kept between exports
};

}  // namespace

void InstallImportExport(TSDIAppForm& Form) {
    using P = TSDIAppForm::TPage;
    auto* module = new TImportExport(Form);
    std::vector<QPushButton*> buttons;
    auto add = [&](P Page, const char* Name, const std::string& Default, auto Click) {
        QPushButton* b = AddButton(Form.PageTools(Page), Name, FromQString(module->Caption(Name, Default)));
        QObject::connect(b, &QPushButton::clicked, module, Click);
        buttons.push_back(b);
    };
    add(P::Sheets, "ButtonImportSheets", ImportCaption, [module] { module->ButtonImportClick(true); });
    add(P::Parts, "ButtonImportParts", ImportCaption, [module] { module->ButtonImportClick(false); });

    static const TGridExport kExports[] = {
        {&TMainData::StringGridSheets, "ButtonSheetsExportExcel", "panels", &DirExportSheetsExcel,
         &DirExportSheetsTxt, P::Sheets},
        {&TMainData::StringGridParts, "ButtonPartsExportExcel", "parts", &DirExportPartsExcel,
         &DirExportPartsTxt, P::Parts},
        {&TMainData::StringGridOffcutRack, "ButtonOffcutsExportExcel", "offcuts harp rack",
         &DirExportOffcutsExcel, &DirExportOffcutsTxt, P::Offcuts},
        {&TMainData::StringGridPartRack, "ButtonPartsRackExportExcel", "parts harp rack",
         &DirExportPartsRackExcel, &DirExportPartsRackTxt, P::PartHarp},
    };
    for (const TGridExport& e : kExports)
        add(e.Page, e.Button, ExportCaption, [module, &e] { module->ButtonExportClick(e); });

    add(P::Layout, "ButtonSaveToHtml", "Export HTML", [module] { module->ButtonSaveToHtmlClick(); });
    add(P::Layout, "ButtonExportDXF", "Export DXF", [module] { module->ButtonExportDXFClick(); });
    add(P::Layout, "ButtonExportGCode", "Export G Code", [module] { module->ButtonExportGCodeClick(); });

    QObject::connect(&Form, &TSDIAppForm::RunningChanged, module, [buttons](bool Running) {
        for (QPushButton* b : buttons) b->setEnabled(!Running);
    });
}
