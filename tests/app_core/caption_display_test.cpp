#include <gtest/gtest.h>

#include "app/core/captions.h"
#include "engine/pubstr.h"

namespace {

TEST(CaptionDisplay, LabelsShowAmpersandsAndTheColourWordAsWritten) {
    const struct {
        const char* Caption;
        const char* Plain;
    } cases[] = {{"Length Edge && Width Edge", "Length Edge & Width Edge"},
                 {"&Save", "Save"},
                 {"A &&& B", "A & B"},
                 {"trailing &", "trailing "},
                 {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(PlainCaptionText(c.Caption), c.Plain) << c.Caption;

    TCaptionStore store;
    store.RefreshCaption();
    const std::string edge = store.ShownCaption("LabelSetupEdgeColor");
    EXPECT_EQ(edge, store.Caption("LabelSetupLengthEdge") + " && " +
                        store.Caption("LabelSetupWidthEdge") + " " + ColorCaption);
    // Captions that already have their blank are shown as stored.
    EXPECT_EQ(store.ShownCaption("LabelSetupSheetColor"), store.Caption("LabelSetupSheetColor"));
}

}  // namespace
