// The option file and the caption file compared with files written by hand
// from their formats, so that a key name or order shared wrongly by writer
// and reader cannot pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/core/captions.h"
#include "app/core/label_schemes.h"
#include "app/core/option_file.h"
#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadText;
using testsupport::ScratchDir;

std::string DataFile(const std::string& Name) {
    return std::string(TESSALY_TEST_DATA) + "/app_core/" + Name;
}

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> out;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

// Every key holds a value of its own, so a key read into or written from the
// wrong setting changes the file. Read into the settings page and window
// state, then written into a new file, it must come out byte for byte.
TEST(OptionFileFormat, EveryKeyInOrderWithItsValue) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TOptionPage page;
    page.ComboBoxTypeSelect.Items = {"MDF", "PLY", "Glass"};
    TWindowOptions window;
    // Read from a copy beside the file written: the list names, relative to
    // the option file's folder, come out as they went in.
    const std::string golden = dir.File("every_option.opt");
    std::filesystem::copy_file(DataFile("every_option.opt"), golden);
    ReadOptionFile(golden, page, window);
    // Start-up loads the named lists and shows their names in the edits.
    window.EditSheetsFileName = window.SheetsFileName;
    window.EditPartsFileName = window.PartsFileName;
    window.EditAnyShapeFileName = window.ProfilesFileName;
    window.EditOffcutsFileName = window.OffcutsRackFileName;
    window.EditPartHRFileName = window.PartsRackFileName;

    const std::string written = dir.File("new.opt");
    WriteOptionFileTo(written, page, window);
    EXPECT_EQ(ReadText(written), ReadText(golden));
}

// A label scheme section with a value of its own under every key, read and
// written into a new file, comes out byte for byte.
TEST(LabelSchemeFormat, EveryKeyInOrderWithItsValue) {
    ScratchDir dir;
    const std::string golden = DataFile("label_scheme_3.opt");
    TLabelDialogState state;
    ASSERT_TRUE(LoadLabelScheme(golden, 3, state));
    const std::string written = dir.File("new.opt");
    ASSERT_TRUE(SaveLabelScheme(written, 3, state));
    EXPECT_EQ(ReadText(written), ReadText(golden));
}

// The caption file holds every key of the editor list, in its order, in the
// sections its kind has: a caption for controls, strings and menu items, a
// hint for controls and toolbar buttons.
TEST(CaptionFileFormat, EveryKeyInOrderInTheSectionsOfItsKind) {
    ScratchDir dir;
    const std::string path = dir.File("all.cap");
    TCaptionStore store;
    store.WriteCaptionFile(path);
    const platform::TIniFile ini(path);

    std::vector<std::string> keys;
    for (const std::string& section : ini.ReadSections()) {
        keys.push_back("[" + section + "]");
        for (const std::string& key : ini.ReadSection(section)) keys.push_back(key);
    }
    EXPECT_EQ(keys, Lines(ReadText(DataFile("caption_file_keys.txt"))));
}

}  // namespace
