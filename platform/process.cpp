#include "platform/process.h"

#include <csignal>

namespace dorvik::platform {

void ignoreFileSizeSignal() {
    // signal() cannot fail for a valid signal number and SIG_IGN.
    (void)std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace dorvik::platform
