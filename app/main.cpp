// Tessaly: plans how parts are cut from stock sheets and kept offcuts.
#include <cstring>
#include <iostream>

#include "engine/pubstr.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::cout << ProductName << ' ' << VersionCaption << ' ' << VersionNumber << '\n';
        return 0;
    }
    std::cerr << ProductName << ": the window is not built yet; use --version\n";
    return 1;
}
