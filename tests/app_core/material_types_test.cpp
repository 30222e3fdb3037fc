#include "app/core/material_types.h"

#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;
using Names = std::vector<std::string>;

// The type lists live in the application layer, outside the engine's reset.
class MaterialTypes : public ::testing::Test {
  protected:
    void SetUp() override { ResetMaterialTypeDefaults(); }
    void TearDown() override { ResetMaterialTypeDefaults(); }
};

TEST_F(MaterialTypes, RoundTripKeepsOrderTicksDuplicatesAndBlanks) {
    ScratchDir dir;
    const std::string path = dir.File("t.typ");
    // Sections the list no longer needs, and foreign ones, are erased.
    WriteText(path, "[HEAD]\r\nNUMBER=8\r\n[TYPE7]\r\nSTRING=Old\r\n[OTHER]\r\nX=1\r\n");
    TypeList = {"Glass 4mm", " Oak ", "Glass 4mm", "\"MDF\"", "Steel"};
    CheckedTypeList = {"Glass 4mm", "Steel"};
    WriteTypeFile(path);

    ResetMaterialTypeDefaults();
    EXPECT_EQ(ReadTypeFile(path), "");
    EXPECT_EQ(TypeList, (Names{"Glass 4mm", " Oak ", "Glass 4mm", "\"MDF\"", "Steel"}));
    // Both entries named "Glass 4mm" are ticked by the one checked name.
    EXPECT_EQ(CheckedTypeList, (Names{"Glass 4mm", "Glass 4mm", "Steel"}));

    platform::TIniFile ini(path);
    EXPECT_EQ(ini.ReadSections(), (Names{"HEAD", "TYPE0", "TYPE1", "TYPE2", "TYPE3", "TYPE4"}));
    EXPECT_EQ(ini.ReadInteger("HEAD", "NUMBER", -1), 5);
    EXPECT_EQ(ini.ReadString("TYPE1", "CHECK", ""), "0");
    EXPECT_EQ(ini.ReadString("TYPE4", "CHECK", ""), "1");
}

// Readers start at section 0 and stop at the count the file states; keys
// match in any letter case; a missing section reads as "NOSTR", unticked;
// an implausible count is refused, naming it and the file, lists untouched.
TEST_F(MaterialTypes, HandWrittenFiles) {
    const struct {
        const char* Text;  // nullptr: no file
        Names Types, Checked;
    } cases[] = {
        {"[HEAD]\r\nNUMBER=2000000000\r\n", {"x"}, {"x"}},
        {"[head]\r\nnumber=2\r\n[type0]\r\nstring=Birch\r\ncheck=0\r\n", {"Birch", "NOSTR"},
         {"NOSTR"}},
        {"[HEAD]\r\nNUMBER=1\r\n[TYPE0]\r\nSTRING=A\r\n[TYPE1]\r\nSTRING=Stale\r\n", {"A"},
         {"A"}},
        {"[HEAD]\r\nNUMBER=-4\r\n", {}, {}},
        {nullptr, {}, {}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string path = dir.File("hand.typ");
        if (c.Text) WriteText(path, c.Text);
        TypeList = {"x"};
        CheckedTypeList = {"x"};
        const std::string message = ReadTypeFile(path);
        const bool refused = c.Types == Names{"x"};
        EXPECT_EQ(message.empty(), !refused) << message;
        if (refused) {
            EXPECT_NE(message.find("2000000000"), std::string::npos);
            EXPECT_NE(message.find(path), std::string::npos);
        }
        EXPECT_EQ(TypeList, c.Types) << (c.Text ? c.Text : "no file");
        EXPECT_EQ(CheckedTypeList, c.Checked);
    }
}

TEST_F(MaterialTypes, FailedWriteIsReportedAndLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("default.typ");
    const std::string old = "[HEAD]\r\nNUMBER=1\r\n[TYPE0]\r\nSTRING=A\r\nCHECK=1\r\n";
    WriteText(path, old);
    TypeList = {"B"};
    {
        testsupport::WriteBlocker block(path);
        EXPECT_THROW(WriteTypeFile(path), platform::IniWriteError);
    }
    EXPECT_EQ(ReadText(path), old);
}

TEST_F(MaterialTypes, DialogShowsTheListsTickedByName) {
    TypeList = {"A", "B", "A", "C"};
    CheckedTypeList = {"A", "Z"};
    TMaterialTypeDialog dialog;
    dialog.EditTypeString = "left over";
    dialog.Activate();
    EXPECT_EQ(dialog.EditTypeString, "");
    std::vector<bool> ticks;
    for (const auto& item : dialog.Items) ticks.push_back(item.Checked);
    EXPECT_EQ(ticks, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(dialog.ItemIndex, 0);

    TypeList.clear();
    dialog.PutTypeInList();
    EXPECT_EQ(dialog.ItemIndex, -1);
}

TEST_F(MaterialTypes, DialogButtonsEditTheList) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TMaterialTypeDialog dialog;
    dialog.Activate();
    dialog.AddClick();  // empty text: nothing
    EXPECT_TRUE(dialog.Items.empty());

    dialog.EditTypeString = "Oak";
    dialog.AddClick();
    dialog.EditTypeString = "Pine";
    dialog.AddClick();
    ASSERT_EQ(dialog.Items.size(), 2u);
    EXPECT_FALSE(dialog.Items[1].Checked);

    dialog.ModifyClick();  // nothing selected yet
    EXPECT_EQ(dialog.Items[0].Text, "Oak");
    dialog.ItemIndex = 0;
    dialog.Items[0].Checked = true;
    dialog.EditTypeString = "Ash";
    dialog.ModifyClick();
    EXPECT_EQ(dialog.Items[0].Text, "Ash");
    EXPECT_TRUE(dialog.Items[0].Checked);

    dialog.ItemIndex = 1;
    dialog.DeleteClick();
    ASSERT_EQ(dialog.Items.size(), 1u);
    EXPECT_EQ(dialog.ItemIndex, -1);
    dialog.DeleteClick();  // none selected
    EXPECT_EQ(dialog.Items.size(), 1u);

    dialog.CloseClick();
    EXPECT_EQ(TypeList, (Names{"Ash"}));
    EXPECT_EQ(CheckedTypeList, (Names{"Ash"}));
    EXPECT_EQ(TypeComboItems(&dialog), (Names{"Ash"}));

    // Save writes the default file of the start folder.
    dialog.Items.push_back({"Wood", false});
    dialog.SaveClick();
    dialog.RemoveAllClick();
    EXPECT_EQ(TypeComboItems(&dialog), Names{});
    EXPECT_EQ(TypeComboItems(nullptr), (Names{"Ash", "Wood"}));
    ResetMaterialTypeDefaults();
    ReadTypeFile(dir.File("default.typ"));
    EXPECT_EQ(TypeList, (Names{"Ash", "Wood"}));
    EXPECT_EQ(CheckedTypeList, (Names{"Ash"}));
}

}  // namespace
