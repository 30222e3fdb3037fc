#include "engine/defaults.h"

#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/trapezium.h"

void ResetProgramDefaults() {
    ResetPubStrDefaults();
    ResetPubFuncDefaults();
    ResetTrapeziumList();
}
