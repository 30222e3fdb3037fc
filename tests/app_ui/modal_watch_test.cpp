// The watch that keeps window tests from hanging on a dialog: what it
// reports and that it lets the test go on.
#include "support/modal_watch.h"

#include <gtest/gtest-spi.h>

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

using testsupport::ModalWatch;
using testsupport::OnModal;

TEST(ModalWatch, AnUnansweredMessageBoxFailsTheTestNamingItsTextAndIsClosed) {
    int answer = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            QMessageBox box(QMessageBox::Warning, "Tessaly", "Overwrite job.txt?", QMessageBox::Yes | QMessageBox::No);
            answer = box.exec();
        },
        "Overwrite job.txt?");
    EXPECT_NE(answer, QMessageBox::Yes);  // closed, not accepted
}

TEST(ModalWatch, AMessageBoxTheTestAnswersIsLeftToTheAnswer) {
    OnModal([](QWidget* W) { qobject_cast<QMessageBox*>(W)->button(QMessageBox::Yes)->click(); });
    QMessageBox box(QMessageBox::Question, "Tessaly", "Save?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.exec(), QMessageBox::Yes);
}

// An answer that leaves its dialog open (a second step, a refusal) fails
// the test once the deadline has passed, naming the dialog and its words.
TEST(ModalWatch, ADialogLeftOpenByItsAnswerFailsAfterTheDeadline) {
    ModalWatch().DeadlineMs = 300;
    QDialog dialog;
    dialog.setObjectName("FormPrintLabel");
    dialog.setWindowTitle("Print Label");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Folder does not exist"));
    bool answered = false;
    OnModal([&](QWidget*) { answered = true; });  // does not close it
    EXPECT_NONFATAL_FAILURE(dialog.exec(), "FormPrintLabel' titled \"Print Label\", \"Folder does not exist\"");
    EXPECT_TRUE(answered);
    EXPECT_FALSE(dialog.isVisible());
}

// An answer whose dialog never comes does not act on a later one.
TEST(ModalWatch, AnAnswerForADialogThatNeverCameIsDroppedAtTheTestsEnd) {
    testsupport::DropModalAnswers();
    bool acted = false;
    OnModal([&](QWidget*) { acted = true; });
    testsupport::DropModalAnswers();
    OnModal([](QWidget* W) { static_cast<QDialog*>(W)->accept(); });
    QDialog dialog;
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(acted);
}

}  // namespace
