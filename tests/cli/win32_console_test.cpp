// The console's control events on Windows: Ctrl+C and Ctrl+Break ask a run
// to stop, as SIGINT does on Linux.
#include "cli/stop.h"

#include <csignal>
#include <gtest/gtest.h>
#include <windows.h>

namespace dorvik::cli {
namespace {

TEST(WindowsConsole, ControlEventsAreStopRequests) {
    ASSERT_EQ(installStopHandlers(), "");
    if (!::GetConsoleWindow() && !::AllocConsole())
        GTEST_SKIP() << "no console to send events in";
    const std::pair<DWORD, int> table[] = {{CTRL_C_EVENT, SIGINT}, {CTRL_BREAK_EVENT, SIGBREAK}};
    for (const auto &[event, signal] : table) {
        clearStopSignal();
        if (!::GenerateConsoleCtrlEvent(event, 0))
            GTEST_SKIP() << "this console cannot send control events (Wine's cannot)";
        // The handler runs on a thread of its own: wait for it, not for a time.
        for (int i = 0; i < 1000 && stopSignal() == 0; ++i)
            ::Sleep(10);
        EXPECT_EQ(stopSignal(), signal) << "event " << event;
    }
    clearStopSignal();
}

} // namespace
} // namespace dorvik::cli
