// Interface captions: the texts and hints of the main window's controls and
// menu items, keyed for the caption files that relabel (or translate) them,
// and the shared words and messages of engine/pubstr.h that the same files
// replace.
//
// A caption file (*.cap) is an INI file with two sections:
//   [CAPTION]  key=text  (caption of a control or menu item, or the value of a
//                         shared string)
//   [HINT]     key=text  (hint of a control or toolbar button)
// The keys are those of CaptionKeys(); they match without regard to letter
// case, a missing key leaves its text unchanged and an unknown key is
// ignored. A line break inside a text is stored as the two characters "\n"
// (and a backslash as "\\"), so every text reads back as it was written.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inifile.h"

// What a caption key relabels.
enum class TCaptionKind {
    Control,  // a control: caption and hint
    String,   // a shared string of engine/pubstr.h: its value
    Menu,     // a menu item: caption
    HintOf,   // a toolbar button: hint
};

struct TCaptionKey {
    TCaptionKind Kind;
    std::string_view Key;     // the key of the caption file
    std::string_view Target;  // control, menu item or shared string variable name
};

constexpr std::string_view kCaptionSection = "CAPTION";
constexpr std::string_view kHintSection = "HINT";

// Every key, in the order of the caption editor's list (238 keys).
const std::vector<TCaptionKey>& CaptionKeys();
// The key of that name in any letter case; nullptr when unknown.
const TCaptionKey* FindCaptionKey(std::string_view Key);
// The shared string of engine/pubstr.h named Name; nullptr when unknown.
std::string* CaptionStringVariable(std::string_view Name);

// One line of the caption editor's drop-down list (`ComboBoxInterfaceCaption`):
// a key, or a separator line of dashes (Key is then nullptr).
struct TCaptionEditorItem {
    std::string Text;
    const TCaptionKey* Key = nullptr;
};
// The keys grouped under separator lines (MENU, TAB, BUTTON, MATERIAL,
// GLOSSARY, CONFIGURE, MESSAGE, PRINT LABEL, DXF Layer) and a last separator.
const std::vector<TCaptionEditorItem>& CaptionEditorItems();

// The caption editor of the settings page.
struct TCaptionEditor {
    bool CheckBoxCustomCaption = false;  // "Custom Captions"; shows the editor box
    int ComboBoxInterfaceCaption = -1;   // chosen line of CaptionEditorItems()
    std::string EditModifyCaption;
    std::string EditModifyHint;
    bool CaptionEditVisible = true;
    bool HintEditVisible = true;
    // The field whose whole text the last click selected; none once another
    // line is chosen and the fields show its texts.
    enum class TField { None, Caption, Hint };
    TField SelectedWhole = TField::None;

    bool GroupBoxSetupCaptionVisible() const { return CheckBoxCustomCaption; }
    // A click into the caption or the hint field selects all its text.
    void OnClickEditCaption() { SelectedWhole = TField::Caption; }
    void OnClickEditHint() { SelectedWhole = TField::Hint; }
};

// Texts of one control or menu item.
struct TControlText {
    std::string Caption;
    std::string Hint;
    std::vector<std::string> Items;  // radio group and drop-down items
};

// What SetCaptionIndex does with the chosen key.
enum class TCaptionMode : int {
    Read = 0,         // texts := the caption file's, the current ones by default
    Write = 1,        // the caption file's := the texts
    ApplyEditor = 2,  // texts := the editor's
    LoadEditor = 3,   // the editor := the texts
};

// A caption as a control without keyboard mnemonics (a plain label) shows
// it: "&&" is one "&" and a single "&", which marks the mnemonic, is dropped.
std::string PlainCaptionText(const std::string& Caption);

class TCaptionStore {
  public:
    // Every control with its built-in texts.
    TCaptionStore();

    // The names of every control and menu item the store holds texts for.
    std::vector<std::string> ControlNames() const;
    // The control or menu item named Name (exact); nullptr when unknown.
    const TControlText* Find(std::string_view Name) const;
    // Its caption, hint or items; empty when unknown.
    std::string Caption(std::string_view Name) const;
    std::string Hint(std::string_view Name) const;
    // The caption as the window shows it: the edge colour label, which the
    // caption files join without a blank before the colour word, gets one.
    std::string ShownCaption(std::string_view Name) const;
    std::vector<std::string> Items(std::string_view Name) const;
    // Sets a text of the control named Name (created when unknown).
    void SetCaption(std::string_view Name, std::string Text);
    void SetHint(std::string_view Name, std::string Text);

    // The texts a caption file holds for Key (any letter case): the caption
    // of a control or menu item or the value of a string in section CAPTION,
    // the hint of a control or toolbar button in section HINT. Empty for an
    // unknown key or a section the key's kind has no text in.
    std::string KeyCaption(std::string_view Key) const;
    std::string KeyHint(std::string_view Key) const;

    // Applies Mode to the key on line Index of CaptionEditorItems(); a
    // separator line or an index outside the list does nothing. Ini is used
    // by Read and Write, Editor by ApplyEditor and LoadEditor.
    void SetCaptionIndex(int Index, TCaptionMode Mode, platform::TIniFile* Ini,
                         TCaptionEditor* Editor);

    // Choosing a line of the editor list: both editors empty, shown and with
    // nothing selected, then LoadEditor.
    void ComboBoxInterfaceCaptionChange(TCaptionEditor& Editor);
    // "Confirm": ApplyEditor on the chosen line, then RefreshCaption.
    void ButtonConfirmCaptionClick(const TCaptionEditor& Editor);

    // Reads every key of the file (a missing file reads as empty), then
    // RefreshCaption.
    void ReadCaptionFile(const std::string& FileName);
    // Writes every key into the file; its other keys and sections stay. The
    // file is replaced completely or not at all; failures throw
    // platform::IniWriteError naming the file, and an existing file that
    // cannot be read is not rewritten.
    void WriteCaptionFile(const std::string& FileName) const;
    // "Set As Default": WriteCaptionFile(AppDir + "/default.cap").
    void ButtonSetAsDefaultCaptionClick() const;

    // Brings the derived texts into line after a change: colour labels of
    // the settings page, the shared report words taken from controls, twin
    // controls of the other pages, layout page boxes, buttons named by shared
    // words, radio group and drop-down items, and the DXF settings
    // (DxfExportLines, DxfTextHeight).
    void RefreshCaption();

  private:
    void ReadKey(const TCaptionKey& Key, const platform::TIniFile& Ini);
    void WriteKey(const TCaptionKey& Key, platform::TIniFile& Ini) const;
    void ApplyEditor(const TCaptionKey& Key, const TCaptionEditor& Editor);
    void LoadEditor(const TCaptionKey& Key, TCaptionEditor& Editor) const;
    TControlText& Control(std::string_view Name);
    void RefreshColourLabels();
    void RefreshLayoutTypeLabel();
    void RefreshSharedWords();
    void RefreshDerivedControls();
    void RefreshDxfSettings();

    std::map<std::string, TControlText, std::less<>> controls_;
};

// AppDir + "/default.cap".
std::string DefaultCaptionFilePath();
