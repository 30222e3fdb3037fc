#include "app/ui/program_icon.h"

#include <QtGlobal>

// The icon's files are compiled into this static library; the linker keeps
// them only when something names their initialiser.
static void InitIconResources() { Q_INIT_RESOURCE(tessaly_icons); }

QIcon ProgramIcon() {
    static const bool loaded = (InitIconResources(), true);
    (void)loaded;
    QIcon icon;
    icon.addFile(":/icons/tessaly_32.png", QSize(32, 32));
    icon.addFile(":/icons/tessaly_256.png", QSize(256, 256));
    return icon;
}
