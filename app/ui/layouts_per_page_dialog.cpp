#include "app/ui/layouts_per_page_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/core/print_commands.h"
#include "app/ui/qt_canvas.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

TFormPrintLayoutsSetup::TFormPrintLayoutsSetup(QWidget* Parent) : QDialog(Parent) {
    setObjectName("FormPrintLayoutsSetup");
    setWindowTitle("Layouts");
    setModal(true);
    LabelRowsPerPage = new QLabel("Rows Per Page");
    LabelColumnsPerPage = new QLabel("Columns Per Page");
    EditRowsPerPage = new QLineEdit("1");
    EditRowsPerPage->setObjectName("EditRowsPerPage");
    EditColumnsPerPage = new QLineEdit("1");
    EditColumnsPerPage->setObjectName("EditColumnsPerPage");
    ButtonLayoutSetupOK = new QPushButton("OK");
    ButtonLayoutSetupOK->setObjectName("ButtonLayoutSetupOK");
    ButtonLayoutSetupOK->setDefault(true);
    ButtonLayoutSetupCancel = new QPushButton("Cancel");
    ButtonLayoutSetupCancel->setObjectName("ButtonLayoutSetupCancel");
    CheckBoxPrintPartsInLayout = new QCheckBox("Parts In Layout");
    CheckBoxPrintComment = new QCheckBox("Comment");
    CheckBoxPrintComment->setChecked(true);
    auto* g = new QGridLayout(this);
    g->addWidget(LabelRowsPerPage, 0, 0);
    g->addWidget(EditRowsPerPage, 0, 1);
    g->addWidget(LabelColumnsPerPage, 1, 0);
    g->addWidget(EditColumnsPerPage, 1, 1);
    g->addWidget(CheckBoxPrintPartsInLayout, 2, 0);
    g->addWidget(CheckBoxPrintComment, 2, 1);
    g->addWidget(ButtonLayoutSetupOK, 3, 0);
    g->addWidget(ButtonLayoutSetupCancel, 3, 1);
    connect(ButtonLayoutSetupOK, &QPushButton::clicked, this,
            &TFormPrintLayoutsSetup::ButtonLayoutSetupOKClick);
    connect(ButtonLayoutSetupCancel, &QPushButton::clicked, this,
            &TFormPrintLayoutsSetup::ButtonLayoutSetupCancelClick);
}

void TFormPrintLayoutsSetup::showEvent(QShowEvent* Event) {
    LayoutSetupConfirmed = false;
    const bool rolling = RollingMode;
    if (rolling) EditColumnsPerPage->setText("1");
    EditColumnsPerPage->setVisible(!rolling);
    LabelColumnsPerPage->setVisible(!rolling);
    QDialog::showEvent(Event);
}

void TFormPrintLayoutsSetup::ButtonLayoutSetupOKClick() {
    std::string message;
    int rows = 0, cols = 0;
    if (!ParseLayoutsPerPage(FromQString(EditRowsPerPage->text()),
                             FromQString(EditColumnsPerPage->text()), rows, cols, message)) {
        platform::CurrentMessageSink().Warning(message);
        return;
    }
    LayoutRowsPerPage = rows;
    LayoutColumnsPerPage = cols;
    LayoutSetupConfirmed = true;
    accept();
}

void TFormPrintLayoutsSetup::ButtonLayoutSetupCancelClick() {
    LayoutSetupConfirmed = false;
    reject();
}
