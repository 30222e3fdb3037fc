#include "app/core/material_types.h"

#include <algorithm>
#include <filesystem>

#include "app/core/main_data.h"
#include "app/core/option_file.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "platform/inifile.h"

std::vector<std::string> TypeList;
std::vector<std::string> CheckedTypeList;

namespace {

std::string TypeSection(std::size_t Index) {
    return "TYPE" + std::to_string(Index);
}

}  // namespace

std::string DefaultTypeFilePath() {
    return (std::filesystem::path(AppDir) / "default.typ").string();
}

std::string ReadTypeFile(const std::string& FileName) {
    if (FileExistsButUnreadable(FileName)) return MsgCantOpenFile + "[" + FileName + "]";
    const platform::TIniFile Ini(FileName);
    const std::int32_t n = Ini.ReadInteger("HEAD", "NUMBER", 0);
    if (n > kMaxMaterialTypes)
        return "Material type file \"" + FileName + "\" states " + std::to_string(n) +
               " types; at most " + std::to_string(kMaxMaterialTypes) + " are allowed";

    TypeList.clear();
    CheckedTypeList.clear();
    for (std::int32_t i = 0; i < n; ++i) {
        const std::string section = TypeSection(static_cast<std::size_t>(i));
        std::string name = Ini.ReadString(section, "STRING", "NOSTR");
        const bool checked = Ini.ReadInteger(section, "CHECK", 1) != 0;
        if (checked) CheckedTypeList.push_back(name);
        TypeList.push_back(std::move(name));
    }
    return std::string();
}

void WriteTypeFile(const std::string& FileName) {
    platform::TIniFile Ini(FileName);
    EraseAllIniSections(Ini);
    Ini.WriteInteger("HEAD", "NUMBER", static_cast<std::int32_t>(TypeList.size()));
    for (std::size_t i = 0; i < TypeList.size(); ++i) {
        const std::string section = TypeSection(i);
        Ini.WriteString(section, "STRING", TypeList[i]);
        Ini.WriteString(section, "CHECK", IsTypeChecked(TypeList[i]) ? "1" : "0");
    }
    Ini.UpdateFile();
}

bool IsTypeChecked(const std::string& Name) {
    return std::find(CheckedTypeList.begin(), CheckedTypeList.end(), Name) != CheckedTypeList.end();
}

void TMaterialTypeDialog::Activate() {
    EditTypeString.clear();
    PutTypeInList();
}

void TMaterialTypeDialog::PutTypeInList() {
    Items.clear();
    for (const std::string& name : TypeList) Items.push_back({name, false});
    for (const std::string& checked : CheckedTypeList)
        for (TTypeItem& item : Items)
            if (item.Text == checked) item.Checked = true;
    ItemIndex = Items.empty() ? -1 : 0;
}

void TMaterialTypeDialog::GetTypeFromList() const {
    TypeList.clear();
    CheckedTypeList.clear();
    for (const TTypeItem& item : Items) {
        TypeList.push_back(item.Text);
        if (item.Checked) CheckedTypeList.push_back(item.Text);
    }
}

void TMaterialTypeDialog::AddClick() {
    if (EditTypeString.empty()) return;
    Items.push_back({EditTypeString, false});
}

void TMaterialTypeDialog::ModifyClick() {
    if (EditTypeString.empty()) return;
    if (ItemIndex < 0 || ItemIndex >= static_cast<int>(Items.size())) return;
    Items[static_cast<std::size_t>(ItemIndex)].Text = EditTypeString;
}

void TMaterialTypeDialog::DeleteClick() {
    if (ItemIndex < 0 || ItemIndex >= static_cast<int>(Items.size())) return;
    Items.erase(Items.begin() + ItemIndex);
    ItemIndex = -1;
}

void TMaterialTypeDialog::RemoveAllClick() {
    Items.clear();
    ItemIndex = -1;
}

void TMaterialTypeDialog::SaveClick() const {
    GetTypeFromList();
    WriteTypeFile(DefaultTypeFilePath());
}

void TypeListFromComboItems(const std::vector<std::string>& ComboItems) {
    TypeList = ComboItems;
}

std::vector<std::string> TypeComboItems(const TMaterialTypeDialog* Dialog) {
    if (!Dialog) return TypeList;
    std::vector<std::string> items;
    items.reserve(Dialog->Items.size());
    for (const TTypeItem& item : Dialog->Items) items.push_back(item.Text);
    return items;
}

void ResetMaterialTypeDefaults() {
    TypeList.clear();
    CheckedTypeList.clear();
}
