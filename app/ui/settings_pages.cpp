#include "app/ui/sdimain.h"

void InstallSettingsPages(TSDIAppForm&) {}
