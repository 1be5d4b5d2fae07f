#include "platform/process.h"

#include <csignal>

namespace dorvik::platform {

void ignoreFileSizeSignal() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    // Cannot fail for a valid signal number and handler.
    (void)::sigaction(SIGXFSZ, &action, nullptr);
}

} // namespace dorvik::platform
