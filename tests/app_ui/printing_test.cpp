#include "app/ui/printing.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include "app/ui/layouts_per_page_dialog.h"
#include "app_ui/sample_window.h"
#include "app_ui/window_fixture.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

using PrintingTest = sample_window::SampleWindowTest;
namespace fs = std::filesystem;

// Text with every run of white space made one blank and none at the ends.
std::string Squeeze(const std::string& Text) {
    std::string out;
    for (char c : Text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

int PdfPages(const std::string& File) {
    const std::string info = Shell("pdfinfo '" + File + "' 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// Answers the layouts-per-page dialog when it shows: each answer fills the
// edits and presses OK; after the last one the dialog must have closed.
void AnswerLayoutsDialog(std::vector<std::pair<QString, QString>> Answers, bool Cancel = false) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, Answers, Cancel]() mutable {
        auto* d = qobject_cast<TFormPrintLayoutsSetup*>(QApplication::activeModalWidget());
        if (!d) return;
        if (Cancel) {
            d->ButtonLayoutSetupCancel->click();
        } else if (!Answers.empty()) {
            if (d->EditRowsPerPage->isEnabled()) d->EditRowsPerPage->setText(Answers.front().first);
            if (d->EditColumnsPerPage->isEnabled())
                d->EditColumnsPerPage->setText(Answers.front().second);
            Answers.erase(Answers.begin());
            d->ButtonLayoutSetupOK->click();
            if (!Answers.empty()) return;
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(20);
}

}  // namespace

TEST_F(PrintingTest, AllLayoutsTwoToAPageAndTheReportReadRight) {
    const std::string pdf = dir_.File("layouts.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
    const int n = Optimizer.Best.Count();
    AnswerLayoutsDialog({{"0", "1"}, {"x", "1"}, {"2", "1"}});  // two refusals, then 2 x 1
    child<QPushButton>("ButtonPrintAll")->click();
    EXPECT_EQ(sink_.Warnings.size(), 2u);
    EXPECT_EQ(sink_.Warnings.front(), "[]" + MsgInvalidData);
    EXPECT_EQ(PdfPages(pdf), (n + 1) / 2);
    const std::string text = Shell("pdftotext -layout '" + pdf + "' - 2>/dev/null");
    EXPECT_NE(text.find(Optimizer.Best[0].Label), std::string::npos);
    EXPECT_EQ(LayoutsPrintRow, "2");

    const std::string report = dir_.File("report.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(report));
    child<QPushButton>("ButtonPrintReport")->click();
    EXPECT_GE(PdfPages(report), 1);
    const std::string reportText = Shell("pdftotext -layout '" + report + "' - 2>/dev/null");
    // Every line of the report, compared without its run of blanks.
    const std::string words = Squeeze(reportText);
    for (const std::string& line : SummaryReportLines)
        EXPECT_NE(words.find(Squeeze(line)), std::string::npos) << line;
    EXPECT_NE(Shell("pdffonts '" + report + "'").find("Mono"), std::string::npos);  // fixed pitch
}

TEST_F(PrintingTest, CurrentLayoutOnOnePageAndCancelPrintsNothing) {
    const std::string pdf = dir_.File("current.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
    AnswerLayoutsDialog({}, true);
    child<QPushButton>("ButtonPrintCurrentPage")->click();
    EXPECT_FALSE(fs::exists(pdf));
    AnswerLayoutsDialog({{"3", "3"}});  // the edits are only shown
    child<QPushButton>("ButtonPrintCurrentPage")->click();
    EXPECT_EQ(PdfPages(pdf), 1);
}

// A printer that cannot write is a message naming its file; without a plan
// nothing is printed.
TEST_F(PrintingTest, PrinterErrorAndEmptyPlanAreMessages) {
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(dir_.File("no/such/folder/x.pdf")));
    child<QPushButton>("ButtonPrintReport")->click();
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_NE(sink_.Warnings[0].find("x.pdf"), std::string::npos);

    sink_.Warnings.clear();
    Optimizer.Best.Clear();
    form_->NotifyPlanChanged();
    child<QPushButton>("ButtonPrintCurrentPage")->click();
    child<QPushButton>("ButtonPrintAll")->click();
    EXPECT_EQ(sink_.Warnings, std::vector<std::string>(2, MsgLayoutIsEmpty));
}

TEST_F(PrintingTest, HelpAndLinksOpenTheHelpFileWithNoAddressSet) {
    fs::create_directories(dir_.File("help"));
    testsupport::WriteText(dir_.File("help/tessaly_help.html"), "<html></html>");
    std::vector<QUrl> urls;
    TPrinting& p = *FindPrinting(*form_);
    p.OpenUrl = [&urls](const QUrl& u) {
        urls.push_back(u);
        return true;
    };
    p.Contents1Click();
    p.ToolButton2Click();
    p.Homepage1Click();
    p.Update1Click();
    p.emailsupport1Click();
    ASSERT_EQ(urls.size(), 5u);
    for (const QUrl& u : urls) EXPECT_TRUE(u.toLocalFile().endsWith("help/tessaly_help.html"));
    EXPECT_TRUE(sink_.Warnings.empty());
}

TEST_F(PrintingTest, FontButtonsFollowTheScaleSizeBox) {
    auto* scale = child<QCheckBox>("CheckBoxAutoPrinterSetupFont");
    ASSERT_NE(scale, nullptr);
    const char* names[] = {"ButtonFontSetup", "ButtonFontLabel", "ButtonFontDim",
                           "ButtonFontPosition", "ButtonFontCutSeq"};
    for (bool on : {false, true}) {
        if (scale->isChecked() != on) scale->click();
        for (const char* n : names) {
            ASSERT_NE(child<QPushButton>(n), nullptr) << n;
            EXPECT_EQ(child<QPushButton>(n)->isEnabled(), !on) << n;
        }
        EXPECT_EQ(child<QScrollBar>("ScrollBarAutoPrinterSetupSize")->isEnabled(), on);
    }
}
