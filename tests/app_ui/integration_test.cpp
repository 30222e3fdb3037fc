// The window's pages joined to the core's rules: settings edits, rack grids,
// captions and the stock-update buttons.
#include <QLineEdit>

#include "app/core/option_reader.h"
#include "engine/shared_state.h"
#include "window_fixture.h"

namespace {

using IntegrationTest = WindowTest;

// Leaving a minimum offcut edit takes a good length and refuses a bad one
// with one box, keeping the setting and selecting the text.
TEST_F(IntegrationTest, MinOffcutEditsCheckWhenEditingEnds) {
    struct Case {
        const char* Edit;
        std::int32_t* Setting;
    } cases[] = {{"EditMinOffcutLength1", &MinScrapLength}, {"EditMinOffcutLength2", &MinScrapWidth}};
    for (const Case& c : cases) {
        auto* edit = form->findChild<QLineEdit*>(c.Edit);
        ASSERT_NE(edit, nullptr) << c.Edit;
        std::int32_t want = 0;
        std::string e;
        ASSERT_TRUE(StrToUnitsOrError("125", want, e));

        edit->setText("125");
        emit edit->editingFinished();
        EXPECT_EQ(*c.Setting, want);
        EXPECT_TRUE(sink.Warnings.empty());

        edit->setText("12x");
        emit edit->editingFinished();
        EXPECT_EQ(*c.Setting, want);
        ASSERT_EQ(sink.Warnings.size(), 1u) << c.Edit;
        EXPECT_TRUE(edit->hasSelectedText());
        sink.Warnings.clear();
    }
}

}  // namespace
