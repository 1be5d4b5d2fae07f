#include "cli/stop.h"

#include <csignal>
#include <initializer_list>

namespace dorvik::cli {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStopSignal(int signal) {
    g_stopSignal = signal;
}

} // namespace

bool installStopHandlers() {
    struct sigaction stop = {};
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = 0; // no SA_RESTART: a blocked read returns EINTR
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signal, &stop, nullptr) != 0)
            return false;
    }
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

int stopSignal() {
    return g_stopSignal;
}

void clearStopSignal() {
    g_stopSignal = 0;
}

} // namespace dorvik::cli
