// Tessaly: plans how parts are cut from stock sheets and kept offcuts.
//
// With "-hide:yes" the program runs as a batch tool: no window, no display
// and no Qt object; messages go to standard error and the exit status tells
// whether the job worked. Otherwise it opens the main window.
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/core/command_line.h"
#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "app/ui/gui_main.h"
#include "engine/pubstr.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::cout << ProductName << ' ' << VersionCaption << ' ' << VersionNumber << '\n';
        return 0;
    }
    std::error_code ec;
    AppDir = std::filesystem::current_path(ec).string();

    const TCommandLine commandLine(argc, argv);
    // "-hide:y" would open a window a script waits on, "-update:y" plan
    // without booking: neither is guessed.
    if (RefuseUnclearFlags(commandLine)) return 1;
    static TMainWindowCore window;
    if (commandLine.IsYes("-hide:")) return RunBatch(window, commandLine);
    return RunWindow(argc, argv, window, commandLine);
}
