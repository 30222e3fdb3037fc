// The about box, the splash, the program's icon and the edge types dialog's
// title.
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <filesystem>

#include "app/core/print_commands.h"
#include "app/ui/dialogs.h"
#include "app/ui/printing.h"
#include "window_fixture.h"

namespace {

// A left click on the label named Name; its text, empty when there is none.
QString ClickLabel(QWidget* Dialog, const char* Name) {
    auto* label = Dialog->findChild<QLabel*>(Name);
    if (!label) return {};
    const QPointF at = QRectF(label->rect()).center(), global = label->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label, &press);
    QApplication::sendEvent(label, &release);
    return label->text();
}

bool ShowsAPicture(QWidget* Dialog, const char* Name) {
    auto* label = Dialog->findChild<QLabel*>(Name);
    return label && !label->pixmap().isNull();
}

}  // namespace

// The about box shows the program's icon; Comments (showing what it opens)
// and "Tech Support" open their targets through the help links' opener, and
// when no program opens the page a message names it. The splash shows the
// icon too, and so does every window.
TEST_F(WindowTest, AboutBoxAndSplashShowTheIconAndAFailedLinkNamesThePage) {
    std::filesystem::create_directories(dir.File("help"));
    const std::string page = dir.File("help/tessaly_help.html");
    testsupport::WriteText(page, "<html></html>");
    std::vector<std::string> opened;
    FindPrinting(*form)->Opener = [&](const std::string& Target, bool IsFile, TOpenAnswer Answer) {
        EXPECT_TRUE(IsFile);
        opened.push_back(Target);
        Answer(false);  // no program could open it
    };
    bool icons = false;
    QString comments, support;
    std::size_t saidInTheBox = 0;
    OnModal([&](QWidget* d) {
        icons = ShowsAPicture(d, "ProgramIcon");
        comments = ClickLabel(d, "Comments");
        support = ClickLabel(d, "Label1");
        saidInTheBox = sink.Warnings.size();
        d->close();
    });
    form->HelpAbout1Execute();
    EXPECT_EQ(comments.toStdString(), HomepageTarget());
    EXPECT_EQ(support, "Tech Support");
    EXPECT_EQ(opened, std::vector<std::string>(2, page));
    EXPECT_EQ(saidInTheBox, 2u);
    EXPECT_EQ(sink.Warnings, std::vector<std::string>(
                                 2, "No program could open the file. Open it by hand: " + page));
    OnModal([&](QWidget* d) { icons = icons && ShowsAPicture(d, "Image1"); });
    ShowSplash();
    EXPECT_TRUE(icons);
    EXPECT_FALSE(form->windowIcon().isNull());
}

// The edge types dialog takes the caption of its button as its title, and
// its picture's key the band and grinding captions, also after a caption
// file relabelled them.
TEST_F(WindowTest, EdgeTypesDialogTitleAndPictureFollowACaptionFile) {
    testsupport::WriteText(dir.File("de.cap"), "[CAPTION]\nBand Caption=Kante\nGrinding Caption=Schliff\n");
    form->FileDialog = [&](bool, const std::string&, const std::string&, const std::string&,
                           const std::string&) { return dir.File("de.cap"); };
    auto* button = qobject_cast<QPushButton*>(form->Control("ButtonGrindingAndBandSetting"));
    ASSERT_NE(button, nullptr);
    const struct {
        const char* Title;
        const char* Band;
        const char* Grinding;
    } openings[] = {{"Band & Grinding", "Band", "Grinding"},
                    {"Kante & Schliff", "Kante", "Schliff"}};
    for (const auto& o : openings) {
        const char* title = o.Title;
        QString shown, band, grinding;
        OnModal([&](QWidget* d) {
            shown = d->windowTitle();
            if (auto* l = d->findChild<QLabel*>("LabelBand")) band = l->text();
            if (auto* l = d->findChild<QLabel*>("LabelGrinding")) grinding = l->text();
            d->close();
        });
        button->click();
        EXPECT_EQ(shown.toStdString(), title);
        // The picture's key says it with the same words.
        EXPECT_EQ(band.toStdString(), o.Band);
        EXPECT_EQ(grinding.toStdString(), o.Grinding);
        EXPECT_EQ(button->text().replace("&&", "&"), shown);
        qobject_cast<QPushButton*>(form->Control("ButtonLoadCaption"))->click();
    }
}
