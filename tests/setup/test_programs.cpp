// The programs themselves, started as a user starts them: their own process
// setup, before any window.
#include "tests/support/temp_dir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The set of ignored signals of process `pid` (SigIgn of /proc/pid/status);
// 0 when it cannot be read.
unsigned long long ignoredSignals(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("SigIgn:", 0) == 0)
            return std::stoull(line.substr(7), nullptr, 16);
    return 0;
}

// Both programs ignore SIGXFSZ, so that a file-size limit fails a write
// with "File too large" instead of killing the program with its temporary
// files left behind.
TEST(Programs, BothIgnoreTheFileSizeSignalFromTheStart) {
    for (const char *program : {DORVIK_PROGRAM, SETUP_PROGRAM}) {
        SCOPED_TRACE(program);
        dorvik::testing::TempDir home;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("HOME", home.path().c_str(), 1);
            if (::chdir(home.path().c_str()) == 0)
                ::execl(program, program, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        const unsigned long long bit = 1ULL << (SIGXFSZ - 1);
        // main() sets it up first thing; wait (up to ten seconds) for the
        // program to have got past exec and that far.
        bool ignored = false;
        for (int i = 0; i < 1000 && !ignored; ++i) {
            ignored = (ignoredSignals(pid) & bit) != 0;
            if (!ignored)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        EXPECT_TRUE(ignored);
    }
}

} // namespace
