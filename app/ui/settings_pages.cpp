#include "app/ui/label_dialog.h"
#include "app/ui/rack_pages.h"
#include "app/ui/sdimain.h"
#include "app/ui/settings_page.h"

void InstallSettingsPages(TSDIAppForm& Form) {
    new TSettingsPageView(Form);
    new TRackPageView(Form, true);
    new TRackPageView(Form, false);
    new TStockUpdateView(Form);
    InstallLabelButtons(Form);
    ApplyCaptionsToWindow(Form);
}
