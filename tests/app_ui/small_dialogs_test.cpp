// The about box, the splash, the program's icon and the edge types dialog's
// title.
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
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
// and "Tech Support" open their targets through the help links' opener,
// whose answer is not checked. The splash shows the icon too, and so does
// every window.
TEST_F(WindowTest, AboutBoxAndSplashShowTheIconAndTheLinksOpenUnchecked) {
    std::filesystem::create_directories(dir.File("help"));
    testsupport::WriteText(dir.File("help/tessaly_help.html"), "<html></html>");
    std::vector<std::string> opened;
    FindPrinting(*form)->OpenUrl = [&](const QUrl& Url) {
        opened.push_back(Url.toLocalFile().toStdString());
        return false;  // no program could open it
    };
    bool icons = false;
    QString comments, support;
    OnModal([&](QWidget* d) {
        icons = ShowsAPicture(d, "ProgramIcon");
        comments = ClickLabel(d, "Comments");
        support = ClickLabel(d, "Label1");
        d->close();
    });
    form->HelpAbout1Execute();
    EXPECT_EQ(comments.toStdString(), HomepageTarget());
    EXPECT_EQ(support, "Tech Support");
    EXPECT_EQ(opened, std::vector<std::string>(2, dir.File("help/tessaly_help.html")));
    EXPECT_TRUE(sink.Warnings.empty());
    OnModal([&](QWidget* d) { icons = icons && ShowsAPicture(d, "Image1"); });
    ShowSplash();
    EXPECT_TRUE(icons);
    EXPECT_FALSE(form->windowIcon().isNull());
}

// The edge types dialog takes the caption of its button as its title, also
// after a caption file relabelled the button.
TEST_F(WindowTest, EdgeTypesDialogTitleFollowsACaptionFile) {
    testsupport::WriteText(dir.File("de.cap"), "[CAPTION]\nBand Caption=Kante\nGrinding Caption=Schliff\n");
    form->FileDialog = [&](bool, const std::string&, const std::string&, const std::string&,
                           const std::string&) { return dir.File("de.cap"); };
    auto* button = qobject_cast<QPushButton*>(form->Control("ButtonGrindingAndBandSetting"));
    ASSERT_NE(button, nullptr);
    for (const char* title : {"Band & Grinding", "Kante & Schliff"}) {
        QString shown;
        OnModal([&](QWidget* d) {
            shown = d->windowTitle();
            d->close();
        });
        button->click();
        EXPECT_EQ(shown.toStdString(), title);
        EXPECT_EQ(button->text().replace("&&", "&"), shown);
        qobject_cast<QPushButton*>(form->Control("ButtonLoadCaption"))->click();
    }
}
