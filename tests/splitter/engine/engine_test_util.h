// Shared pieces of the split and join tests: a prompter that logs messages
// and busy switches in one sequence, requests made from chosen paths, a child
// process under a file-size limit, and the names the tests use unqualified.
#pragma once

#include "platform/fs.h"
#include "platform/process.h"
#include "splitter/engine/operations.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>
#ifdef _WIN32
#include "platform/win32/win32.h"
#else
#include "tests/support/child.h"
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace dorvik::testing {

// Records messages like RecordingPrompter and also, in `events`, the order of
// busy switches ("busy on", "busy off") and messages (their text).
struct EventLog : RecordingPrompter {
    std::vector<std::string> events;
    EventLog() {
        onMessage = [this](const platform::Message &m) { events.push_back(m.text); };
    }
    std::function<void(bool)> busy() {
        return [this](bool on) { events.push_back(on ? "busy on" : "busy off"); };
    }
};

// The system's words for a missing file, and for a missing directory on the
// way to one.
inline std::string noSuchFile() {
#ifdef _WIN32
    return platform::win32::failure("", ERROR_FILE_NOT_FOUND).message().substr(2);
#else
    return "No such file or directory";
#endif
}
inline std::string noSuchPath() {
#ifdef _WIN32
    return platform::win32::failure("", ERROR_PATH_NOT_FOUND).message().substr(2);
#else
    return "No such file or directory";
#endif
}

inline platform::Message message(const std::string &text, const std::string &title,
                                 platform::Icon icon = platform::Icon::Information,
                                 platform::Buttons buttons = platform::Buttons::Ok) {
    return platform::Message{text, title, icon, buttons};
}

// Requests as the main window makes them from the paths chosen.
inline engine::SplitRequest splitRequest(const std::string &source, const std::string &target,
                                         int pieces) {
    engine::SplitRequest r;
    r.sourcePath = source;
    r.targetDirectory = target;
    r.pieces = pieces;
    return r;
}

inline engine::JoinRequest joinRequest(const std::string &first, const std::string &target) {
    engine::JoinRequest r;
    r.firstPiecePath = first;
    r.targetDirectory = target;
    return r;
}

#ifndef _WIN32
// Runs `body` in a child process in which no file may grow beyond `limit`
// bytes, with the programs' own signal setup (so writes beyond fail with
// EFBIG only because the programs ignore SIGXFSZ); returns the child's exit
// code, or -1 when it did not exit normally.
inline int runWithFileSizeLimit(rlim_t limit, const std::function<int()> &body) {
    return runInChild([&] {
               platform::ignoreFileSizeSignal();
               const rlimit r{limit, limit};
               return ::setrlimit(RLIMIT_FSIZE, &r) == 0 ? body() : 100;
           })
        .code;
}
#endif

} // namespace dorvik::testing

namespace dorvik::platform {
// Lets GoogleTest show a message readably.
inline void PrintTo(const Message &m, std::ostream *os) {
    *os << "{\"" << m.text << "\", " << (m.title ? "\"" + *m.title + "\"" : "(no title)")
        << ", icon " << static_cast<int>(m.icon) << ", buttons " << static_cast<int>(m.buttons)
        << "}";
}
} // namespace dorvik::platform

// The names the split and join tests use unqualified.
namespace engine = dorvik::engine;
namespace platform = dorvik::platform;
using namespace dorvik::engine;
using namespace std::string_literals;
using dorvik::testing::EventLog;
using dorvik::testing::joinRequest;
using dorvik::testing::listDirectory;
using dorvik::testing::message;
using dorvik::testing::noSuchFile;
using dorvik::testing::noSuchPath;
using dorvik::testing::patternBytes;
using dorvik::testing::readFile;
using dorvik::testing::splitRequest;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;
using platform::Answer;
using platform::Buttons;
using platform::CopyMethod;
using platform::Icon;
