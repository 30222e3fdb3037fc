#include <gtest/gtest.h>

#include "app/core/stock_update.h"
#include "engine/pubstr.h"

namespace {

// A switched-off rack offers no button that files into it; the others keep
// their state.
TEST(OfferedUpdateButtons, FollowTheRacksSwitches) {
    const struct {
        bool OffcutsOff, PartsOff;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& c : cases) {
        DisableOffcutsRack = c.OffcutsOff;
        DisablePartsRack = c.PartsOff;
        TStockUpdateButtons b;
        b.ButtonUpdateSheets = false;
        const TStockUpdateButtons o = OfferedUpdateButtons(b);
        EXPECT_EQ(o.ButtonAddOffcutToRack, !c.OffcutsOff);
        EXPECT_EQ(o.ButtonAddPartToRack, !c.PartsOff);
        EXPECT_TRUE(o.ButtonAddOffcutsToSheets);
        EXPECT_FALSE(o.ButtonUpdateSheets);
    }
    DisableOffcutsRack = DisablePartsRack = false;
}

}  // namespace
