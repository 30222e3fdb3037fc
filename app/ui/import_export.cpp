#include "app/ui/sdimain.h"

void InstallImportExport(TSDIAppForm&) {}
