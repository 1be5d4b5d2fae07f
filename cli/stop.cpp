#include "cli/stop.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <initializer_list>

namespace dorvik::cli {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStopSignal(int signal) {
    g_stopSignal = signal;
}

} // namespace

std::string installStopHandlers() {
    struct sigaction stop = {};
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = 0; // no SA_RESTART: a blocked read returns EINTR
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signal, &stop, nullptr) != 0)
            return std::string("sigaction: ") + std::strerror(errno);
    }
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::sigaction(SIGPIPE, &ignore, nullptr) != 0)
        return std::string("sigaction: ") + std::strerror(errno);
    return {};
}

int stopSignal() {
    return g_stopSignal;
}

void clearStopSignal() {
    g_stopSignal = 0;
}

} // namespace dorvik::cli
