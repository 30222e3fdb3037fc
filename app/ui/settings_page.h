// The settings page (`TabSheetSetup`): every control bound to the option page
// data of app/core, "Save Configure", and the caption editor.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "app/core/captions.h"
#include "app/core/error_location.h"

class QComboBox;
class QLineEdit;
class QWidget;
class TSDIAppForm;

// Relabels the live window from the core's caption store: tab pages, menus,
// and every widget or action whose object name the store knows (caption,
// hint, and the items of radio groups and drop-down lists).
void ApplyCaptionsToWindow(TSDIAppForm& Form);

class TSettingsPageView : public QObject {
    Q_OBJECT
  public:
    explicit TSettingsPageView(TSDIAppForm& Form);

    // Shows the core's option data in the controls.
    void LoadFromData();
    // "Save Configure": writes `default.opt`.
    void ButtonSaveOptionsClick();

    // Caption editor.
    void ComboBoxInterfaceCaptionChange(int Index);
    void ButtonConfirmCaptionClick();
    void ButtonLoadCaptionClick();
    void ButtonSaveCaptionClick();
    void ButtonSetAsDefaultCaptionClick();
    // Brings the window into line with the caption store.
    void RefreshCaption();
    // Leaving a minimum offcut edit: the setting takes the text, or a box
    // says why not and the edit's text is selected.
    void MinOffcutEditExit(QLineEdit* Edit, bool Width);

  private:
    // Leaving a checked edit: Check reads its text; a refusal is shown and
    // the edit's text selected.
    void CheckedEditExit(QLineEdit* Edit,
                         const std::function<bool(const std::string&, TErrorLocation&)>& Check);
    void Build();
    QWidget* BuildCaptionEditor();
    void ShowRackPages();
    void ShowEditor();
    // Selects the whole text of the field the editor's last click chose.
    void ShowSelection();

    TSDIAppForm& form_;
    TCaptionEditor editor_;
    std::vector<std::function<void()>> loaders_;  // data -> controls
    QComboBox* captionList_ = nullptr;
    QLineEdit* captionEdit_ = nullptr;
    QLineEdit* hintEdit_ = nullptr;
    bool loading_ = false;
    bool checkingEdit_ = false;
};
