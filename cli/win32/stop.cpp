// Stopping a run from outside on Windows: the console's Ctrl+C, Ctrl+Break
// and close events.
#include "cli/stop.h"

#include "platform/win32/win32.h"

#include <atomic>
#include <csignal>

namespace dorvik::cli {

namespace {

std::atomic<int> g_stopSignal{0};

// Runs on a thread of its own. Ctrl+C and Ctrl+Break count as SIGINT and
// SIGBREAK would; closing the console window, logging off and shutting
// down as SIGTERM. For those three the process is ended once this returns:
// it waits instead, so that the run can remove what it half wrote, until
// the program ends (which ends this thread too) or the system loses
// patience (5 seconds for a closed window).
BOOL WINAPI onControlEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        g_stopSignal = SIGINT;
        return TRUE;
    case CTRL_BREAK_EVENT:
        g_stopSignal = SIGBREAK;
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        g_stopSignal = SIGTERM;
        ::Sleep(20000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

std::string installStopHandlers() {
    if (!::SetConsoleCtrlHandler(onControlEvent, TRUE))
        return platform::win32::lastError("SetConsoleCtrlHandler").message();
    return {};
}

int stopSignal() {
    return g_stopSignal;
}

void clearStopSignal() {
    g_stopSignal = 0;
}

} // namespace dorvik::cli
