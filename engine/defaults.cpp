#include "engine/defaults.h"

#include "engine/pubfunc.h"
#include "engine/pubstr.h"

void ResetProgramDefaults() {
    ResetPubStrDefaults();
    ResetPubFuncDefaults();
}
