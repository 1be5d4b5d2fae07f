#include "setup/vb5stkit/vb5stkit.h"

#include "setup/vb5stkit/desktopentry.h"

extern "C" int fCreateShellLink(const char *folder, const char *caption, const char *program,
                                const char *arguments) {
    if (!caption || !program)
        return 0;
    try {
        return dorvik::vb5stkit::writeEntry(folder ? folder : "", caption, program,
                                            arguments ? arguments : "")
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}
