#include "engine/defaults.h"

#include "engine/merge_line.h"
#include "engine/partedge.h"
#include "engine/progress.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"

void ResetProgramDefaults() {
    ResetPubStrDefaults();
    ResetPubFuncDefaults();
    ResetPartEdgeDefaults();
    ResetMergeLineDefaults();
    ResetTrapeziumList();
    ResetProgressDefaults();
    ResetSharedStateDefaults();
}
