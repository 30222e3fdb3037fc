// Material types: the known type names, which of them are ticked (planned by
// a run), the material type file and the data of the type set-up dialog.
//
// The file (normally "default.typ" in the start-up folder) is an INI file:
//   [HEAD]   NUMBER=n
//   [TYPE0]  STRING=name  CHECK=1 (ticked) or 0
//   [TYPE1]  ...
#pragma once

#include <string>
#include <vector>

// Every material type name, in the user's order; names are kept as typed and
// may repeat.
extern std::vector<std::string> TypeList;
// The ticked names (compared with TypeList entries by exact text).
extern std::vector<std::string> CheckedTypeList;

// The most types a material type file may state.
constexpr int kMaxMaterialTypes = 100000;

// AppDir + "/default.typ".
std::string DefaultTypeFilePath();

// Loads both lists from the file. A missing file gives two empty lists; a
// type section missing below the stated number gives the name "NOSTR",
// ticked. Returns an empty text, or a message when the file cannot be read
// (there, but a folder, a pipe or without permission: MsgCantOpenFile +
// "[" + FileName + "]") or states a number of types above kMaxMaterialTypes;
// the lists are then left unchanged.
std::string ReadTypeFile(const std::string& FileName);

// Writes both lists to the file, after erasing every section it held. The
// file is replaced completely or not at all; failures throw
// platform::IniWriteError naming the file.
void WriteTypeFile(const std::string& FileName);

// True when Name is ticked (an entry of CheckedTypeList equals it exactly).
bool IsTypeChecked(const std::string& Name);

// The check list of the type set-up dialog (`TFormSetupTypeString`).
struct TTypeItem {
    std::string Text;
    bool Checked = false;
};

class TMaterialTypeDialog {
  public:
    std::string EditTypeString;    // the name being edited
    std::vector<TTypeItem> Items;  // `CheckListBoxMaterialType`
    int ItemIndex = -1;            // the selected item, -1 for none

    // Activation: empties the edit and fills the list from the two lists.
    void Activate();
    // The list gets every TypeList entry, unticked; each CheckedTypeList entry
    // ticks every item of exactly that text; the first item is selected.
    void PutTypeInList();
    // Rebuilds TypeList and CheckedTypeList from the list.
    void GetTypeFromList() const;

    // Add: a non-empty edit text becomes a new unticked last item.
    void AddClick();
    // Modify: a non-empty edit text replaces the selected item's text (its
    // tick stays).
    void ModifyClick();
    // Delete: removes the selected item; afterwards none is selected.
    void DeleteClick();
    // Remove All: empties the list.
    void RemoveAllClick();
    // Save: GetTypeFromList, then WriteTypeFile(DefaultTypeFilePath()).
    // Throws platform::IniWriteError when the file cannot be written (the
    // lists have been rebuilt all the same).
    void SaveClick() const;
    // Close: GetTypeFromList; nothing is written.
    void CloseClick() const { GetTypeFromList(); }
};

// Opening the dialog: TypeList := the items of the main window's type
// drop-down, in order (CheckedTypeList is kept).
void TypeListFromComboItems(const std::vector<std::string>& ComboItems);

// The items of the main window's type drop-down: every item of the dialog's
// list (ticked or not) once the dialog exists, else every TypeList entry.
std::vector<std::string> TypeComboItems(const TMaterialTypeDialog* Dialog);

// Restores both lists to their start-up state (empty).
void ResetMaterialTypeDefaults();
