#include "app/ui/sdimain.h"

void InstallPrinting(TSDIAppForm&) {}
