#include "app/ui/printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <optional>

#include "app/core/label_data.h"
#include "app/core/option_page.h"
#include "app/ui/label_dialog.h"
#include "app/ui/layouts_per_page_dialog.h"
#include "app_ui/sample_window.h"
#include "app_ui/window_fixture.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "output/report_text.h"

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

// How often Needle occurs in Text.
int Occurrences(const std::string& Text, const std::string& Needle) {
    int n = 0;
    for (auto at = Text.find(Needle); at != std::string::npos; at = Text.find(Needle, at + 1)) ++n;
    return n;
}

// The words of page 1 grouped into lines from the top: each line's words
// left to right, with its top and bottom.
struct PdfLine {
    double Top, Bottom;
    std::string Text;
};
std::vector<PdfLine> PdfLines(const std::string& File) {
    const std::string xml = Shell("pdftotext -bbox -f 1 -l 1 '" + File + "' - 2>/dev/null");
    struct Word {
        double X, Top, Bottom;
        std::string Text;
    };
    std::vector<Word> words;
    auto attr = [](const std::string& Tag, const std::string& Name) {
        const auto at = Tag.find(Name + "=\"");
        return std::stod(Tag.substr(at + Name.size() + 2));
    };
    for (auto at = xml.find("<word "); at != std::string::npos; at = xml.find("<word ", at + 1)) {
        const auto close = xml.find('>', at), end = xml.find("</word>", at);
        const std::string tag = xml.substr(at, close - at);
        words.push_back({attr(tag, "xMin"), attr(tag, "yMin"), attr(tag, "yMax"),
                         xml.substr(close + 1, end - close - 1)});
    }
    std::sort(words.begin(), words.end(), [](const Word& A, const Word& B) {
        return A.Top != B.Top ? A.Top < B.Top : A.X < B.X;
    });
    std::vector<PdfLine> lines;
    for (const Word& w : words) {
        if (lines.empty() || w.Top > lines.back().Top + 1)
            lines.push_back({w.Top, w.Bottom, w.Text});
        else {
            lines.back().Bottom = std::max(lines.back().Bottom, w.Bottom);
            lines.back().Text += " " + w.Text;
        }
    }
    return lines;
}

// The words of every page of a PDF, in points from the page's top.
struct PdfWord {
    double X, Top, Bottom;
    std::string Text;
};
std::vector<std::vector<PdfWord>> PdfPageWords(const std::string& File) {
    const std::string xml = Shell("pdftotext -bbox '" + File + "' - 2>/dev/null");
    auto attr = [](const std::string& Tag, const std::string& Name) {
        const auto at = Tag.find(Name + "=\"");
        return std::stod(Tag.substr(at + Name.size() + 2));
    };
    std::vector<std::vector<PdfWord>> pages;
    for (auto at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        if (xml.compare(at, 6, "<page ") == 0) pages.emplace_back();
        if (xml.compare(at, 6, "<word ") != 0 || pages.empty()) continue;
        const auto close = xml.find('>', at), end = xml.find("</word>", at);
        const std::string tag = xml.substr(at, close - at);
        pages.back().push_back({attr(tag, "xMin"), attr(tag, "yMin"), attr(tag, "yMax"),
                                xml.substr(close + 1, end - close - 1)});
    }
    return pages;
}

// Page Page (from 1) of a PDF rendered in grey at 72 pixels per inch (one
// pixel a point): for every pixel row whether anything is drawn on it.
std::vector<bool> InkedRows(const std::string& File, int Page, const std::string& Scratch) {
    Shell("pdftoppm -r 72 -gray -f " + std::to_string(Page) + " -l " + std::to_string(Page) +
          " -singlefile '" + File + "' '" + Scratch + "' 2>/dev/null");
    const std::string pgm = testsupport::ReadText(Scratch + ".pgm");
    // "P5 width height 255" and one byte a pixel.
    std::size_t at = 0;
    int fields[3] = {};
    for (int& f : fields) {
        at = pgm.find_first_of("0123456789", pgm.find_first_of(" \n", at));
        f = std::stoi(pgm.substr(at));
        at = pgm.find_first_not_of("0123456789", at);
    }
    const int w = fields[0], h = fields[1];
    const std::size_t start = at + 1;
    std::vector<bool> rows(static_cast<std::size_t>(std::max(h, 0)));
    if (pgm.size() < start + static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) return {};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w && !rows[y]; ++x)
            rows[y] = static_cast<unsigned char>(pgm[start + static_cast<std::size_t>(y) * w + x]) < 240;
    return rows;
}

// Answers the layouts-per-page dialog once, with the parts list ticked or
// not.
void AnswerPrintAll(int Rows, bool Parts) {
    OnModal([Rows, Parts](QWidget* W) {
        auto* d = qobject_cast<TFormPrintLayoutsSetup*>(W);
        ASSERT_NE(d, nullptr) << "no layouts-per-page dialog";
        d->EditRowsPerPage->setText(QString::number(Rows));
        d->EditColumnsPerPage->setText("1");
        d->CheckBoxPrintPartsInLayout->setChecked(Parts);
        d->ButtonLayoutSetupOK->click();
    });
}

}  // namespace

// Rolls of 20000 printed one to four rows to a page, with and without the
// parts list: every layout's header is printed once, and right below it its
// first strip is drawn at least as high as the rows leave it (the page less
// the header and margins, shared by the rows).
TEST_F(PrintingTest, RollingPrintAllDrawsEveryLayoutAtTheHeightOfItsRows) {
    TStringGrid& sheets = core_.Data.StringGridSheets;
    sheets.ClearRows(1);
    sheets.SetRow(1, {"ROLL-1220", "Plywood 18", "20000", "1220", "1", "100", "0", ""});
    sheets.SetRow(2, {"ROLL-2070", "MDF 16", "20000", "2070", "1", "100", "0", ""});
    core_.Page.RadioGroupCutMode = kCutModeRolling;
    core_.StartOptimizeClick();
    ASSERT_TRUE(RollingMode);
    ASSERT_GE(Optimizer.Best.Count(), 2);
    form_->NotifyPlanChanged();
    QPrinter& printer = FindPrinting(*form_)->Printer();
    const int pw = printer.width(), ph = printer.height();
    const double toPoints = 72.0 / printer.resolution();
    for (const bool parts : {false, true})
        for (int rows = 1; rows <= 4; ++rows) {
            const std::string pdf = dir_.File("rolls" + std::to_string(rows) + (parts ? "p" : "") + ".pdf");
            FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
            AnswerPrintAll(rows, parts);
            child<QPushButton>("ButtonPrintAll")->click();
            ASSERT_TRUE(sink_.Warnings.empty()) << rows << " " << parts << ": " << sink_.Warnings[0];
            const auto pages = PdfPageWords(pdf);
            ASSERT_EQ(static_cast<int>(pages.size()), PdfPages(pdf));
            for (int i = 0; i < Optimizer.Best.Count(); ++i) {
                // The header's last line, alone on its line below the layout's number.
                const std::string number = std::to_string(i + 1);
                int page = -1;
                double headerBottom = 0, numberTop = 0, captionTop = 0;
                for (std::size_t p = 0; p < pages.size() && page < 0; ++p) {
                    const auto& w = pages[p];
                    for (std::size_t k = 0; k + 2 < w.size(); ++k)
                        if (w[k].Text == LayoutsCaption && w[k + 1].Text == number && w[k + 2].Text.starts_with("---")) {
                            numberTop = w[k].Top;
                            for (std::size_t j = k + 3; j < w.size(); ++j)
                                if (w[j].Text == LayoutsCaption) {
                                    headerBottom = w[j].Bottom;
                                    captionTop = w[j].Top;
                                    break;
                                }
                            page = static_cast<int>(p);
                            break;
                        }
                }
                ASSERT_GE(page, 0) << "layout " << number << " rows " << rows << " parts " << parts;
                PartsInLayout = parts;
                BuildLayoutHeaderText(i);
                // The drawn run of rows that starts right below it.
                const std::vector<bool> inked = InkedRows(pdf, page + 1, dir_.File("page"));
                ASSERT_FALSE(inked.empty());
                std::size_t y = static_cast<std::size_t>(headerBottom) + 1;
                while (y < inked.size() && !inked[y]) ++y;
                const std::size_t top = y;
                while (y < inked.size() && (inked[y] || (y + 1 < inked.size() && inked[y + 1]))) ++y;
                // What the rows leave the strip, in printer pixels.
                // The character height as printed: the one whose line step
                // (h + h div 3) the header's lines are apart, from the third
                // line (the number) to the last.
                const int step = static_cast<int>(std::lround(
                    (captionTop - numberTop) / toPoints / (static_cast<double>(LayoutHeaderLines.size()) - 3)));
                int h = step * 3 / 4 - 2;
                while (h + h / 3 < step) ++h;
                ASSERT_GT(h, pw / AutoPrinterFontZoom / 2);
                const int m = 2 * h, s = h + h / 3;
                const int hh = h + s * static_cast<int>(LayoutHeaderLines.size());
                const int ah = (ph - hh - 2 * m) / rows - 2 * s;
                const TPacket& layout = Optimizer.Best[i];
                const double strip = (layout.NetWidth() + 2.0 * LengthEdge) * ah / (layout.Width + 2.0 * LengthEdge);
                EXPECT_LE(top - headerBottom, 2 * s * toPoints + 2) << number << " rows " << rows;
                EXPECT_GE(static_cast<double>(y - top), strip * toPoints - 2)
                    << "layout " << number << " rows " << rows << " parts " << parts;
            }
        }
}

// A print that would leave a layout without its drawing is refused before
// anything is printed, with a message saying why.
TEST_F(PrintingTest, TooManyRowsIsRefusedBeforePrinting) {
    for (const bool rolling : {false, true}) {
        RollingMode = rolling;
        const std::string pdf = dir_.File(rolling ? "roll.pdf" : "sheets.pdf");
        FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
        AnswerPrintAll(200, true);
        child<QPushButton>("ButtonPrintAll")->click();
        ASSERT_EQ(sink_.Warnings.size(), 1u) << rolling;
        EXPECT_NE(sink_.Warnings[0].find("Too many rows for the page: layout 1 would print"), std::string::npos)
            << sink_.Warnings[0];
        EXPECT_FALSE(fs::exists(pdf)) << rolling;
        sink_.Warnings.clear();
        // Fewer rows print.
        AnswerPrintAll(2, true);
        child<QPushButton>("ButtonPrintAll")->click();
        EXPECT_TRUE(sink_.Warnings.empty()) << rolling;
        EXPECT_GE(PdfPages(pdf), 1) << rolling;
    }
}

namespace {

// Questions as the window asks them: a message box over the window, here
// answered by the test's modal helper.
class QuestionBoxSink : public testsupport::CaptureSink {
  public:
    bool Confirm(const std::string& Text, bool) override {
        Warnings.push_back(Text);
        return QMessageBox::question(QApplication::activeWindow(), QString(),
                                     QString::fromStdString(Text),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

// Answers the layouts-per-page dialog with Rows x 1, the parts list ticked or
// not, and then the question that follows it with Answer (none: no question
// may follow; the modal watch fails a box nobody answers).
void AnswerPrintAllAndQuestion(int Rows, bool Parts,
                               std::optional<QMessageBox::StandardButton> Answer) {
    OnModal([=](QWidget* W) {
        auto* d = qobject_cast<TFormPrintLayoutsSetup*>(W);
        ASSERT_NE(d, nullptr) << "no layouts-per-page dialog";
        d->EditRowsPerPage->setText(QString::number(Rows));
        d->EditColumnsPerPage->setText("1");
        d->CheckBoxPrintPartsInLayout->setChecked(Parts);
        if (Answer)
            OnModal([=](QWidget* Box) {
                auto* box = qobject_cast<QMessageBox*>(Box);
                ASSERT_NE(box, nullptr) << testsupport::DescribeModal(Box);
                box->button(*Answer)->click();
            });
        d->ButtonLayoutSetupOK->click();
    });
}

}  // namespace

// The sample three rows to a page with its parts lists leaves the first
// layout's drawing a few millimetres large: before printing the user is told
// its size and chooses whether to print; No prints nothing, Yes prints as
// asked. Drawings large enough are printed without a question.
TEST_F(PrintingTest, DrawingsTooSmallToReadArePrintedOnlyWhenTheUserSaysSo) {
    QuestionBoxSink sink;
    const std::string pdf = dir_.File("small.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
    AnswerPrintAllAndQuestion(3, true, QMessageBox::No);
    child<QPushButton>("ButtonPrintAll")->click();
    ASSERT_EQ(sink.Warnings.size(), 1u);
    const std::string& question = sink.Warnings[0];
    EXPECT_EQ(question.rfind("Layout 1 would print only ", 0), 0u) << question;
    EXPECT_NE(question.find(" mm large at 3 x 1 layouts to a page, too small to read"),
              std::string::npos)
        << question;
    EXPECT_TRUE(question.ends_with("or print without the parts in the layout.")) << question;
    EXPECT_FALSE(fs::exists(pdf));

    AnswerPrintAllAndQuestion(3, true, QMessageBox::Yes);
    child<QPushButton>("ButtonPrintAll")->click();
    EXPECT_EQ(sink.Warnings.size(), 2u);
    EXPECT_EQ(PdfPages(pdf), (Optimizer.Best.Count() + 2) / 3);
    EXPECT_EQ(LayoutsPrintRow, "3");
    fs::remove(pdf);

    AnswerPrintAllAndQuestion(1, false, std::nullopt);
    child<QPushButton>("ButtonPrintAll")->click();
    EXPECT_EQ(sink.Warnings.size(), 2u);
    EXPECT_EQ(PdfPages(pdf), Optimizer.Best.Count());
}

// With no printer set up, the labels ask for a PDF file; a file that cannot
// be written is a message in words, and the next print works. The sample's
// scheme prints label, size and material 24 to a page.
TEST_F(PrintingTest, SampleLabelsPrintToAPdfWithNoPrinter) {
    TFormPrintLabel& dialog = FormPrintLabel(*form_);
    TErrorLocation error;
    ASSERT_TRUE(FillLabelData(TLabelKind::Layouts, core_.Data, core_.Captions, {"7.12.26", "06:00", ""},
                              dialog.StringGridLabelData(), error));
    const int labels = dialog.StringGridLabelData().RowCount() - 1;
    ASSERT_GT(labels, 24);
    dialog.RefreshPrintLabelCaption();
    dialog.ComboBoxLabelSchemes()->setCurrentIndex(0);
    dialog.onchangeLabelScheme();
    dialog.onshowlabelprint();
    // What Qt's printer is on a machine with no printer: PDF with no file.
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString());

    form_->FileDialog = [this](bool, auto&, auto&, auto&, auto&) { return dir_.File("missing/labels.pdf"); };
    EXPECT_FALSE(dialog.ButtonPrintAllLabelClick());
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_NE(sink_.Warnings[0].find("cannot start printing on the PDF file"), std::string::npos)
        << sink_.Warnings[0];
    EXPECT_NE(sink_.Warnings[0].find("missing/labels.pdf"), std::string::npos);
    EXPECT_NE(dialog.Printer().printerState(), QPrinter::Active);

    form_->FileDialog = [this](bool, auto&, auto&, auto&, auto&) { return dir_.File("labels"); };
    ASSERT_TRUE(dialog.ButtonPrintAllLabelClick());
    const std::string pdf = dir_.File("labels.pdf");
    EXPECT_EQ(PdfPages(pdf), (labels + 23) / 24);
    const std::string text = Shell("pdftotext -layout '" + pdf + "' - 2>/dev/null");
    const std::string first = Optimizer.Best[0].Placements[0].Label;
    EXPECT_NE(text.find(first), std::string::npos) << first;
    EXPECT_NE(text.find(Optimizer.Best[0].Material), std::string::npos);
    EXPECT_NE(text.find(" X "), std::string::npos);  // a size
    EXPECT_EQ(sink_.Warnings.size(), 1u);
}

// A label with nothing in its cells is refused before any job or file.
TEST_F(PrintingTest, BlankLabelSchemeIsRefused) {
    TFormPrintLabel& dialog = FormPrintLabel(*form_);
    TErrorLocation error;
    ASSERT_TRUE(FillLabelData(TLabelKind::Parts, core_.Data, core_.Captions, {"7.12.26", "06:00", ""},
                              dialog.StringGridLabelData(), error));
    dialog.ComboBoxLabelSchemes()->setCurrentIndex(8);  // no such scheme in the file
    dialog.onchangeLabelScheme();
    dialog.onshowlabelprint();
    const std::string pdf = dir_.File("blank.pdf");
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(pdf));
    EXPECT_FALSE(dialog.ButtonPrintAllLabelClick());
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_NE(sink_.Warnings[0].find("empty"), std::string::npos) << sink_.Warnings[0];
    EXPECT_FALSE(fs::exists(pdf));
    dialog.State().Format.Cells[0][0] = "Label";
    EXPECT_TRUE(dialog.ButtonPrintAllLabelClick());
    EXPECT_TRUE(fs::exists(pdf));
}

// A roll, two rows to a page: every layout's header is printed once, each
// layout in cells of its own.
TEST_F(PrintingTest, RollingLayoutsTwoRowsToAPage) {
    RollingMode = true;
    const std::string pdf = dir_.File("rolls.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
    AnswerLayoutsDialog({{"2", "1"}});
    child<QPushButton>("ButtonPrintAll")->click();
    const int n = Optimizer.Best.Count();
    EXPECT_GE(PdfPages(pdf), (n + 1) / 2);
    const std::string text = Shell("pdftotext -raw '" + pdf + "' - 2>/dev/null");
    for (int i = 1; i <= n; ++i)
        EXPECT_EQ(Occurrences(text, LayoutsCaption + " " + std::to_string(i) + " -"), 1) << i;
    EXPECT_TRUE(sink_.Warnings.empty());
}

// With the parts list ticked, the header's lines come first, down to its
// last line, and the drawing (marks, sizes, labels) starts below it.
TEST_F(PrintingTest, PrintedHeaderClearOfTheDrawing) {
    const std::string pdf = dir_.File("header.pdf");
    FindPrinting(*form_)->SetOutputFile(QString::fromStdString(pdf));
    OnModal([](QWidget* W) {
        auto* d = qobject_cast<TFormPrintLayoutsSetup*>(W);
        ASSERT_NE(d, nullptr);
        d->CheckBoxPrintPartsInLayout->setChecked(true);
        d->ButtonLayoutSetupOK->click();
    });
    LayoutShowLengthXWidth = true;
    child<QPushButton>("ButtonPrintCurrentPage")->click();
    ASSERT_EQ(PdfPages(pdf), 1);
    BuildLayoutHeaderText(CurrentLayoutIndex);
    std::vector<std::string> header;
    for (const std::string& l : LayoutHeaderLines)
        if (!Squeeze(l).empty()) header.push_back(Squeeze(l));
    ASSERT_GT(header.size(), 8u);  // the parts are listed
    const std::vector<PdfLine> lines = PdfLines(pdf);
    ASSERT_GT(lines.size(), header.size());
    for (std::size_t i = 1; i < header.size(); ++i)
        EXPECT_EQ(lines[i].Text, header[i]) << i;  // line 0 carries the date
    EXPECT_EQ(lines[header.size() - 1].Text, LayoutsCaption);
    EXPECT_LT(lines[header.size() - 1].Bottom, lines[header.size()].Top);
}

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
    std::vector<std::string> urls;
    TPrinting& p = *FindPrinting(*form_);
    p.Opener = [&urls](const std::string& Target, bool, TOpenAnswer Answer) {
        urls.push_back(Target);
        Answer(true);
    };
    p.Contents1Click();
    p.ToolButton2Click();
    p.Homepage1Click();
    p.Update1Click();
    p.emailsupport1Click();
    ASSERT_EQ(urls.size(), 5u);
    for (const std::string& u : urls) EXPECT_EQ(u, dir_.File("help/tessaly_help.html"));
    EXPECT_TRUE(sink_.Warnings.empty());

    // No program to open it: the message says so and names the file.
    p.Opener = [](const std::string&, bool, TOpenAnswer Answer) { Answer(false); };
    p.Contents1Click();
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_NE(sink_.Warnings[0].find("No program could open"), std::string::npos);
    EXPECT_NE(sink_.Warnings[0].find(dir_.File("help/tessaly_help.html")), std::string::npos)
        << sink_.Warnings[0];
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

// A window started in a folder whose stopped save could not be settled reads
// nothing there and starts as in a new folder: Print Current offers 1 x 1
// per page, and a PDF into that folder is refused as every save there is.
TEST(PrintingUnsettled, PrintCurrentOffersOneByOneAndNoPdfGoesIntoTheFolder) {
    testsupport::ScratchDir dir, elsewhere;
    testsupport::AppDirScope app(dir.Path());
    testsupport::CaptureSink sink;
    testsupport::WriteText(dir.File(".tessaly-commit~31999-1"),
                           "TESSALY WRITE GROUP 2\nR\tdefault_offcut.rck");
    TMainWindowCore core;
    ASSERT_FALSE(LoadStartupFiles(core));
    core.Data.StringGridSheets.SetRow(1, {"S", "", "1000", "500", "1", "1", "0", ""});
    core.Data.StringGridParts.SetRow(1, {"P", "", "300", "200", "R", "2", "2", "R", "", ""});
    core.StartOptimizeClick();
    ASSERT_GT(Optimizer.Best.Count(), 0) << core.LastErrorMessage;
    TSDIAppForm form(core);
    form.NotifyPlanChanged();
    sink.Warnings.clear();

    for (const std::string& pdf : {dir.File("current.pdf"), elsewhere.File("current.pdf")}) {
        SCOPED_TRACE(pdf);
        FindPrinting(form)->SetOutputFile(QString::fromStdString(pdf));
        QString rows, cols;
        OnModal([&](QWidget* W) {
            auto* d = qobject_cast<TFormPrintLayoutsSetup*>(W);
            ASSERT_NE(d, nullptr);
            rows = d->EditRowsPerPage->text();
            cols = d->EditColumnsPerPage->text();
            d->ButtonLayoutSetupOK->click();
            if (d->isVisible()) d->ButtonLayoutSetupCancel->click();  // OK refused
        });
        form.findChild<QPushButton*>("ButtonPrintCurrentPage")->click();
        EXPECT_EQ(rows.toStdString(), "1");
        EXPECT_EQ(cols.toStdString(), "1");
        const bool refused = pdf == dir.File("current.pdf");
        EXPECT_EQ(fs::exists(pdf), !refused);
        if (refused) {
            ASSERT_EQ(sink.Warnings.size(), 1u);
            EXPECT_NE(sink.Warnings[0].find("could not be settled"), std::string::npos)
                << sink.Warnings[0];
        } else {
            EXPECT_TRUE(sink.Warnings.empty()) << ::testing::PrintToString(sink.Warnings);
            EXPECT_EQ(PdfPages(pdf), 1);
        }
        sink.Warnings.clear();
    }
}
