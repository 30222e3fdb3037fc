#include "app/core/main_window.h"
#include "engine/shared_state.h"

// Until the report builders are in, the report holds nothing.
void TMainWindowCore::RebuildReports() { ComputeUsedQuantities(); }
