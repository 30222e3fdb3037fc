// "Layouts": how many layouts go on one printed page (rows and columns) and
// whether the parts list and comments are printed.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormPrintLayoutsSetup : public QDialog {
    Q_OBJECT
  public:
    explicit TFormPrintLayoutsSetup(QWidget* Parent = nullptr);

    QLabel* LabelRowsPerPage;
    QLabel* LabelColumnsPerPage;
    QLineEdit* EditRowsPerPage;
    QLineEdit* EditColumnsPerPage;
    QPushButton* ButtonLayoutSetupOK;
    QPushButton* ButtonLayoutSetupCancel;
    QCheckBox* CheckBoxPrintPartsInLayout;
    QCheckBox* CheckBoxPrintComment;

    bool LayoutSetupConfirmed = false;
    int LayoutRowsPerPage = 1;
    int LayoutColumnsPerPage = 1;

    void ButtonLayoutSetupOKClick();
    void ButtonLayoutSetupCancelClick();

  protected:
    void showEvent(QShowEvent* Event) override;
};
