#include "app/core/option_page.h"

#include <algorithm>

std::string TComboChoice::Text() const {
    if (ItemIndex < 0 || ItemIndex >= static_cast<int>(Items.size())) return std::string();
    return Items[static_cast<std::size_t>(ItemIndex)];
}

void TComboChoice::Select(int Index) {
    ItemIndex = (Index >= 0 && Index < static_cast<int>(Items.size())) ? Index : -1;
}

int ClampPosition(int Position, int Min, int Max) {
    return std::clamp(Position, Min, Max);
}
