#include <gtest/gtest.h>

#include "app/core/startup.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using namespace testsupport;

TEST(StartupTypes, TheOptionFileSelectsFromTheLoadedTypesAndWritesTheSameIndexBack) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    WriteText(dir.File("default.typ"),
              "[HEAD]\nNUMBER=2\n[TYPE0]\nSTRING=Ply\nCHECK=1\n[TYPE1]\nSTRING=MDF\nCHECK=1\n");
    WriteText(dir.File("default.opt"), "[OPTION]\nMATERIAL_TYPE=1\n");
    TMainWindowCore w;
    LoadStartupFiles(w);
    EXPECT_EQ(w.Page.ComboBoxTypeSelect.Items, (std::vector<std::string>{"Ply", "MDF"}));
    EXPECT_EQ(w.Page.ComboBoxTypeSelect.ItemIndex, 1);
    WriteOptionFile("default", w.Page, w.Window);
    EXPECT_EQ(platform::TIniFile(dir.File("default.opt")).ReadInteger("OPTION", "MATERIAL_TYPE", -9), 1);
}
