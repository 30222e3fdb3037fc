#include "app/ui/gui_main.h"

#include <QApplication>

#include "app/core/startup.h"
#include "app/ui/sdimain.h"

int RunWindow(int argc, char** argv, TMainWindowCore& Window, const TCommandLine& CommandLine) {
    QApplication app(argc, argv);
    LoadStartupFiles(Window);
    ApplyCommandLine(Window, CommandLine);
    TSDIAppForm form(Window);
    form.show();
    return app.exec();
}
