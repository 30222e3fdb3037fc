// Names and texts beyond ASCII through the window: file names chosen in the
// window's file dialog, cells typed, shown and saved.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <filesystem>

#include "app/core/grid_editing.h"
#include "app/core/list_files.h"
#include "app/ui/import_export.h"
#include "app/ui/qt_canvas.h"
#include "engine/partedge.h"
#include "window_fixture.h"

using testsupport::ReadText;

namespace {

const std::string kNames[] = {"Küche", "Кухня", "Tom’s", "€"};

class NamesAndText : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->PageControl()->setCurrentIndex(static_cast<int>(TSDIAppForm::TPage::Sheets));
    }
    QString Shown(int Col, int Row) {
        TStringGridModel* m = form->StringGridSheets()->GridModel();
        return m->data(m->index(Row - 1, Col - m->FirstColumn()), Qt::DisplayRole).toString();
    }
};

}  // namespace

TEST_F(NamesAndText, ListFilesNamedBeyondAsciiSaveAndOpenThroughTheFileCommands) {
    for (const std::string& name : kNames) {
        std::filesystem::create_directories(dir.File(name));
        const std::string file = dir.File(name + "/" + name + ".sht");
        // The name as the file dialog hands it over.
        const QString chosen = QFile::decodeName(file.c_str());
        ASSERT_EQ(FromQFileName(chosen), file);
        form->FileDialog = [&](bool, auto&, auto&, auto&, auto&) { return FromQFileName(chosen); };
        TypeRow(form->StringGridSheets(), 1, {name, "MDF", "100", "50", "2"});
        form->FileSaveAs1Execute();
        EXPECT_TRUE(std::filesystem::exists(file)) << name;
        EXPECT_EQ(core.Data.EditSheetsFileName, file);
        EXPECT_EQ(static_cast<QLineEdit*>(form->Control("EditSheetsFileName"))->text(),
                  QString::fromUtf8(file));

        form->SheetsDeleteAllClick();
        form->FileOpen1Execute();
        EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Label, 1), name);  // typed: UTF-8
        EXPECT_EQ(Shown(SheetCol::Label, 1), QString::fromUtf8(name));
    }
}

TEST_F(NamesAndText, Windows1252ListIsShownAsItsCharactersAndSavedUnchangedByteForByte) {
    const std::string file = dir.File("windows.sht");
    {
        TMainData windows;
        windows.StringGridSheets.SetRow(
            1, {"T\xFCr", "Eiche \x96 hell", "100", "50", "2", "12.5", "0", "Tom\x92s \x80"});
        windows.StringGridSheets.SetRow(
            2, {"Küche", "Nuss \x96 dunkel", "80", "40", "1", "0", "0", "typed on Linux"});
        SaveSheetsFile(windows, file, false);
    }
    const std::string bytes = ReadText(file);
    core.Page.ComboBoxTypeSelect.Items = {"Eiche \x96 hell", "MDF"};
    form->FileDialog = [&](bool, auto&, auto&, auto&, auto&) { return file; };
    form->FileOpen1Execute();
    EXPECT_EQ(Shown(SheetCol::Label, 1), "Tür");
    EXPECT_EQ(Shown(SheetCol::Type, 1), "Eiche – hell");
    EXPECT_EQ(Shown(SheetCol::Comment, 1), "Tom’s €");
    EXPECT_EQ(Shown(SheetCol::Label, 2), "Küche");

    // Every cell's editor opened and closed without a change, as the grid's
    // delegate does it (the type cells through their drop-down).
    TGridView* grid = form->StringGridSheets();
    TStringGridModel* m = grid->GridModel();
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < m->columnCount(); ++col) {
            const QModelIndex i = m->index(row, col);
            QStyleOptionViewItem option;
            std::unique_ptr<QWidget> editor(
                grid->itemDelegate()->createEditor(grid->viewport(), option, i));
            grid->itemDelegate()->setEditorData(editor.get(), i);
            grid->itemDelegate()->setModelData(editor.get(), m, i);
        }
    // The known Windows type was not learnt again, the new one learnt as it is.
    EXPECT_EQ(core.Page.ComboBoxTypeSelect.Items,
              (std::vector<std::string>{"Nuss \x96 dunkel", "Eiche \x96 hell", "MDF"}));
    form->FileSave1Execute();
    EXPECT_EQ(ReadText(file), bytes);

    // A changed cell is stored as typed, in UTF-8.
    Type(grid, SheetCol::Comment, 1, "Tom’s € neu");
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Comment, 1), "Tom’s € neu");
}

TEST_F(NamesAndText, TabExportNamedBeyondAsciiThroughTheFileDialog) {
    for (const std::string& name : kNames) {
        core.Data.StringGridSheets.SetRow(1, {name, "MDF", "100", "50", "2", "", "0", "Tom\x92s"});
        const std::string file = dir.File(name + ".txt");
        form->FileDialog = [file](bool Save, auto&, auto&, auto&, auto& Ext) {
            EXPECT_TRUE(Save);
            EXPECT_EQ(Ext, "txt");
            return file;
        };
        OnModal([](QWidget* w) { qobject_cast<TFormExportFileTypeSelect*>(w)->ButtonExportTXTFile->click(); });
        form->findChild<QPushButton*>("ButtonSheetsExportExcel")->click();
        ASSERT_TRUE(std::filesystem::exists(file)) << name;
        const std::string line =
            name + "\tMDF\t100\t50\t2\t\t0\tTom\x92s\t\r\n";  // the bytes as they are
        EXPECT_EQ(ReadText(file).substr(0, line.size()), line);
    }
}

// A Windows-1252 type or edge type chosen in its dialog and confirmed without
// a change keeps its bytes (else the parts naming it would lose it).
TEST_F(NamesAndText, Windows1252TypesConfirmedUnchangedInTheirDialogsKeepTheirBytes) {
    core.Page.ComboBoxTypeSelect.Items = {"Eiche \x96 hell"};
    OnModal([](QWidget* d) {
        auto* list = d->findChild<QListWidget*>("CheckListBoxMaterialType");
        list->setCurrentRow(-1);
        list->setCurrentRow(0);  // the type into the edit
        d->findChild<QPushButton*>("ButtonModifyGlassType")->click();
        d->findChild<QPushButton*>("ButtonCloseTypeSetup")->click();
    });
    form->ButtonTypeSetupClick();
    EXPECT_EQ(core.Page.ComboBoxTypeSelect.Items, std::vector<std::string>{"Eiche \x96 hell"});

    PartEdgeList.AddEdge("N/A", "0", "0", "0", "0", "0", "0", "0", "0");
    PartEdgeList.AddEdge("Kante \x96 1", "1", "1", "1", "1", "0", "0", "0", "0");
    OnModal([](QWidget* d) {
        auto* table = d->findChild<QTableView*>("StringGridGrindingAndBand");
        emit table->clicked(table->model()->index(1, 0));
        d->findChild<QPushButton*>("ButtonModifyGB")->click();
        d->findChild<QPushButton*>("ButtonOK")->click();
    });
    form->ButtonGrindingAndBandSettingClick();
    ASSERT_EQ(PartEdgeList.Count(), 2);
    EXPECT_EQ(PartEdgeList.GetEdge(1)->Label, "Kante \x96 1");
}
