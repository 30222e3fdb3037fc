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
#include "app/ui/program_icon.h"
#include "window_fixture.h"

namespace {

void ClickLabel(QLabel* Label) {
    const QPointF at = QRectF(Label->rect()).center();
    const QPointF global = Label->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Label, &press);
    QApplication::sendEvent(Label, &release);
}

bool ShowsAPicture(QWidget* Dialog, const char* Name) {
    auto* label = Dialog->findChild<QLabel*>(Name);
    return label && !label->pixmap().isNull();
}

}  // namespace

// "Tech Support" and Comments open their targets through the help links'
// opener, whatever it answers and without a word; Comments shows what it
// opens. While no address is set both lead to the help page.
TEST_F(WindowTest, AboutBoxLinksOpenThroughTheDesktopsOpenerUnchecked) {
    struct Case {
        bool HelpFile;     // the help page is in the start-up folder
        bool OpenerAnswer;
        int Opened;        // links the opener was asked for
    } cases[] = {{true, true, 2}, {true, false, 2}, {false, true, 0}};
    std::vector<QUrl> urls;
    bool answer = true;
    FindPrinting(*form)->OpenUrl = [&](const QUrl& Url) {
        urls.push_back(Url);
        return answer;
    };
    std::filesystem::create_directories(dir.File("help"));
    for (const Case& c : cases) {
        if (c.HelpFile) testsupport::WriteText(dir.File("help/tessaly_help.html"), "<html></html>");
        else std::filesystem::remove(dir.File("help/tessaly_help.html"));
        answer = c.OpenerAnswer;
        urls.clear();
        QString comments;
        bool icon = false;
        OnModal([&](QWidget* d) {
            icon = ShowsAPicture(d, "ProgramIcon");
            auto* link = d->findChild<QLabel*>("Comments");
            auto* support = d->findChild<QLabel*>("Label1");
            ASSERT_TRUE(link && support);
            comments = link->text();
            EXPECT_EQ(support->text(), "Tech Support");
            EXPECT_TRUE(link->font().underline() && support->font().underline());
            EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
            ClickLabel(link);
            ClickLabel(support);
            d->findChild<QPushButton*>("OKButton")->click();
        });
        form->HelpAbout1Execute();
        EXPECT_TRUE(icon);
        EXPECT_EQ(comments.toStdString(), HomepageTarget());
        ASSERT_EQ(static_cast<int>(urls.size()), c.Opened) << c.HelpFile << c.OpenerAnswer;
        for (const QUrl& u : urls) EXPECT_EQ(u.toLocalFile().toStdString(), dir.File("help/tessaly_help.html"));
        EXPECT_TRUE(sink.Warnings.empty()) << sink.Warnings.front();
    }
}

// One icon of the program's own for every window, the about box and the splash.
TEST_F(WindowTest, TheProgramsIconIsEveryWindowsAndTheSplashPicture) {
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
    EXPECT_EQ(QApplication::windowIcon().availableSizes(), icon.availableSizes());
    EXPECT_FALSE(form->windowIcon().isNull());
    bool picture = false;
    OnModal([&](QWidget* d) { picture = ShowsAPicture(d, "Image1"); });
    ShowSplash();
    EXPECT_TRUE(picture);
}

// The edge types dialog takes the caption of its button as its title, also
// after a caption file relabelled the button.
TEST_F(WindowTest, EdgeTypesDialogTitleFollowsACaptionFile) {
    testsupport::WriteText(dir.File("de.cap"), "[CAPTION]\nBand Caption=Kante\nGrinding Caption=Schliff\n");
    form->FileDialog = [&](bool, const std::string&, const std::string&, const std::string&,
                           const std::string&) { return dir.File("de.cap"); };
    for (const char* title : {"Band & Grinding", "Kante & Schliff"}) {
        auto* button = qobject_cast<QPushButton*>(form->Control("ButtonGrindingAndBandSetting"));
        ASSERT_NE(button, nullptr);
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
