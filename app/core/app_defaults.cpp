#include "app/core/app_defaults.h"

#include "app/core/import_data.h"
#include "app/core/material_types.h"
#include "engine/defaults.h"
#include "output/report_text.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

void ResetAppDefaults() {
    ResetProgramDefaults();
    ResetMaterialTypeDefaults();
    ResetImportDefaults();
    SetReportDateTimeSource({});
    platform::SetMessageSink(nullptr);
}
