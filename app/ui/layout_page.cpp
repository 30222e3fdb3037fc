#include "app/ui/sdimain.h"

void InstallLayoutPage(TSDIAppForm&) {}
