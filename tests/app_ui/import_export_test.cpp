#include "app/ui/import_export.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <filesystem>

#include "app/core/main_window.h"
#include "app/ui/sdimain.h"
#include "output/sample_plan.h"
#include "platform/xlsx_file.h"
#include "window_fixture.h"

using testsupport::ScratchDir;

namespace {

// The window's file dialog answers Name; shell opens are recorded.
struct Hooks {
    std::vector<std::string> Opened;
    Hooks(TSDIAppForm& Form, std::string Name) {
        Form.FileDialog = [Name](bool, auto&, auto&, auto&, auto&) { return Name; };
        SetImportExportShellOpener([this](const std::string& F, bool, TOpenAnswer Answer) {
            Opened.push_back(F);
            Answer(true);
        });
    }
    ~Hooks() { SetImportExportShellOpener({}); }
};

std::string Data(const std::string& Name) { return std::string(TESSALY_TEST_DATA) + "/xlsx/" + Name; }

void Click(TSDIAppForm& Form, const char* Button) { Form.findChild<QPushButton*>(Button)->click(); }

}  // namespace

TEST(ImportExportWindow, ImportDialogAppendsMappedRowsAndFrameCloseImportsNothing) {
    TMainWindowCore core;
    TSDIAppForm form(core);
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    int reloaded = 0;
    QObject::connect(&form, &TSDIAppForm::GridsReloaded, [&] { ++reloaded; });

    // Closed by its frame after a refused Copy: nothing changes.
    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        ASSERT_TRUE(dialog);
        dialog->LoadExcelFile(Data("libreoffice_parts.xlsx"), 0);
        dialog->ComboBoxes[0]->setCurrentIndex(1);
        dialog->ComboBoxes[1]->setCurrentIndex(1);
        testsupport::CaptureSink sink;
        dialog->ButtonOK->click();
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
    });
    Click(form, "ButtonImportParts");
    EXPECT_EQ(reloaded, 0);
    EXPECT_TRUE(core.Data.StringGridParts.RowEmpty(1, 0));

    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        dialog->LoadExcelFile(Data("libreoffice_parts.xlsx"), 0);
        for (int c : {0, 1, 2, 3}) dialog->ComboBoxes[c]->setCurrentIndex(c + 1);  // label .. width
        dialog->ComboBoxes[4]->setCurrentIndex(PartCol::Qty + 1);
        dialog->grab().save("import_export_dialog.png");  // for a look by eye
        dialog->ButtonAppend->click();
    });
    Click(form, "ButtonImportParts");
    EXPECT_EQ(reloaded, 1);
    const TStringGrid& parts = core.Data.StringGridParts;
    EXPECT_EQ(parts.Cell(PartCol::Label, 2), "Door");
    EXPECT_EQ(parts.Cell(PartCol::Qty, 2), "4");
    EXPECT_EQ(parts.Cell(PartCol::Length, 3), "1.5");
    EXPECT_EQ(parts.Cell(PartCol::Comment, 2), "");
}

using ImportSaveWindow = WindowTest;

// After an import the parts page's Save is off and the menu's Save asks for
// a name, so the imported list never goes over the file opened before;
// appending or opening a list file turns Save on again.
TEST_F(ImportSaveWindow, ImportTurnsSaveOffTillAListFileIsAppendedOrOpened) {
    const std::string list = dir.File("job.prt");
    testsupport::WriteText(list, "[PART1]\nLABEL=Door\nTYPE=MDF\nLENGTH=720\nWIDTH=396\nQTY=4\nMAXQTY=4\n");
    testsupport::WriteText(dir.File("three.txt"), "A\tMDF\t100\t50\t1\t1\nB\tMDF\t200\t50\t2\t2\nC\tPLY\t300\t50\t3\t3\n");
    std::string answer = list;
    std::vector<bool> asked;  // Save of each file dialog shown
    form->FileDialog = [&](bool save, auto&, auto&, auto&, auto&) {
        asked.push_back(save);
        return answer;
    };
    auto* save = form->findChild<QPushButton*>("PartsSave");
    auto* sheetsSave = form->findChild<QPushButton*>("SheetsSave");
    Click(*form, "PartsOpen");
    ASSERT_EQ(core.Data.StringGridParts.Cell(PartCol::Label, 1), "Door");
    ASSERT_TRUE(save->isEnabled());
    const std::string stored = testsupport::ReadText(list);
    form->ShowPage(TSDIAppForm::TPage::Parts);

    const std::string text = dir.File("three.txt");
    for (const bool append : {true, false}) {
        SCOPED_TRACE(append ? "append" : "copy");
        OnModal([text, append](QWidget* w) {
            auto* dialog = qobject_cast<TFormImportData*>(w);
            ASSERT_TRUE(dialog);
            dialog->LoadTextFile(text);
            for (int c = 0; c < 4; ++c) dialog->ComboBoxes[c]->setCurrentIndex(c + 1);  // label .. width
            dialog->ComboBoxes[4]->setCurrentIndex(PartCol::Qty + 1);
            dialog->ComboBoxes[5]->setCurrentIndex(PartCol::MaxQty + 1);
            (append ? dialog->ButtonAppend : dialog->ButtonOK)->click();
        });
        Click(*form, "ButtonImportParts");
        EXPECT_EQ(core.Data.StringGridParts.Cell(PartCol::Label, 1), "A");
        EXPECT_FALSE(save->isEnabled());
        EXPECT_TRUE(sheetsSave->isEnabled());
        // The menu's Save goes through Save As (cancelled here).
        answer.clear();
        asked.clear();
        form->FileSave1Execute();
        EXPECT_EQ(asked, std::vector<bool>{true});
        EXPECT_EQ(testsupport::ReadText(list), stored);

        answer = list;
        Click(*form, append ? "ButtonAppendPartsFromFile" : "PartsOpen");
        EXPECT_TRUE(save->isEnabled());
    }
}

TEST(ImportExportWindow, PartsGridExportedAsSpreadsheetWithTitles) {
    TMainWindowCore core;
    core.Data.RefreshGridTitles();
    core.Data.StringGridParts.SetRow(1, {"Door", "MDF", "720", "396", "R", "4", "4", "R", "", "oak"});
    TSDIAppForm form(core);
    ScratchDir dir;
    Hooks hooks(form, dir.File("parts.xlsx"));
    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TFormExportFileTypeSelect*>(w);
        ASSERT_TRUE(dialog);
        dialog->CheckBoxExportColumnTitle->setChecked(true);
        dialog->ButtonExportEXCELFile->click();
    });
    Click(form, "ButtonPartsExportExcel");
    const platform::TXlsxSheet s = platform::ReadXlsxSheet(dir.File("parts.xlsx"), 0, 2, PartCol::Count);
    EXPECT_EQ(s.SheetNames, std::vector<std::string>{"parts"});
    EXPECT_EQ(s.Cells[0], core.Data.StringGridParts.Row(0));
    EXPECT_EQ(s.Cells[1], core.Data.StringGridParts.Row(1));

    // Closed by its frame: no export, even after one was made.
    std::filesystem::remove(dir.File("parts.xlsx"));
    OnModal([](QWidget* w) { w->close(); });
    Click(form, "ButtonPartsExportExcel");
    EXPECT_FALSE(std::filesystem::exists(dir.File("parts.xlsx")));
}

TEST(ImportExportWindow, HtmlExportDrawsAPicturePerLayoutAndOpensItsFiles) {
    sample_plan::Build();
    TMainWindowCore core;
    TSDIAppForm form(core);
    ScratchDir dir;
    Hooks hooks(form, dir.File("job.html"));
    Click(form, "ButtonSaveToHtml");
    EXPECT_EQ(hooks.Opened, (std::vector<std::string>{dir.File("job.txt"), dir.File("job_LABEL.txt"),
                                                       dir.File("job.html")}));
    for (int i = 1; i <= 3; ++i) {
        QImage picture(QString::fromStdString(dir.File("job.html_" + std::to_string(i) + ".bmp")));
        ASSERT_FALSE(picture.isNull()) << i;
        picture.save(QString("import_export_layout_%1.png").arg(i));  // for a look by eye
        int drawn = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) drawn += picture.pixel(x, y) != QColor(Qt::white).rgb();
        EXPECT_GT(drawn, picture.width()) << i;
    }
}

// A long roll's picture keeps a readable shorter side; a page named like a
// list ("job.txt") is written as job.html beside its lists, and opened.
TEST(ImportExportWindow, HtmlExportOfARollKeepsPictureAndNamesApart) {
    sample_plan::Build();
    TPacket& roll = Optimizer.Best[1];
    roll.Length = 1500000;  // 1500 x 62 units
    TMainWindowCore core;
    TSDIAppForm form(core);
    ScratchDir dir;
    Hooks hooks(form, dir.File("job.txt"));
    Click(form, "ButtonSaveToHtml");
    EXPECT_EQ(hooks.Opened, (std::vector<std::string>{dir.File("job.txt"), dir.File("job_LABEL.txt"),
                                                       dir.File("job.html")}));
    EXPECT_EQ(testsupport::ReadText(dir.File("job.txt")).find("<html>"), std::string::npos);
    const QImage picture(QString::fromStdString(dir.File("job.html_2.bmp")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.height(), 300);
    EXPECT_LE(picture.width(), 16001);
    EXPECT_GT(picture.width(), 20 * picture.height());
}
