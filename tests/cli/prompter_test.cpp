#include "cli/console.h"
#include "cli/prompter.h"
#include "cli/run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace dorvik::cli {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::Message;

// A console on pipes: stdout and stderr are read back, the "terminal" (when
// there is one) holds the given input and then ends.
class PipeConsole {
public:
    explicit PipeConsole(std::optional<std::string> terminalInput, bool errIsTerminal = false) {
        makePipe(out_);
        makePipe(err_);
        Console::Channels c;
        c.out = out_[1];
        c.err = err_[1];
        c.errIsTerminal = errIsTerminal;
        if (terminalInput) {
            makePipe(in_);
            EXPECT_EQ(::write(in_[1], terminalInput->data(), terminalInput->size()),
                      static_cast<ssize_t>(terminalInput->size()));
            ::close(in_[1]);
            in_[1] = -1;
            c.askIn = in_[0];
            c.askOut = err_[1];
        }
        console.emplace(c);
    }
    ~PipeConsole() {
        console.reset();
        for (int fd : {out_[0], out_[1], err_[0], err_[1], in_[0], in_[1]})
            if (fd >= 0)
                ::close(fd);
    }
    std::string err() { return drain(err_[0]); }

    std::optional<Console> console;

private:
    static void makePipe(int (&fds)[2]) {
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    }
    static std::string drain(int fd) {
        std::string s;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            s.append(buf, static_cast<std::size_t>(n));
        return s;
    }
    int out_[2] = {-1, -1}, err_[2] = {-1, -1}, in_[2] = {-1, -1};
};

const Message kSuccess{"/x/a.doc\n is successfully splitted!", "Dorvik ", Icon::Information,
                       Buttons::Ok};
const Message kFailure{"/x/a.000: No space left on device\nNothing was written.", "Dorvik",
                       Icon::Critical, Buttons::Ok};
const Message kWarning{"The files will be larger than 1,4 Mb,\nand will not fit on floppy disks.",
                       "Dorvik", Icon::Information, Buttons::OkCancel};
const Message kDisk{"Insert disk #2", "Dorvik", Icon::Information, Buttons::Ok};
const Message kRetry{"/media/floppy/a.001: No space left on device\nThe piece a.001 was not "
                     "copied to the disk.",
                     "Dorvik", Icon::Critical, Buttons::RetryCancel};

struct Case {
    const char *name;
    Message message;
    AnswerPolicy policy;
    std::optional<std::string> terminal; // nullopt: no terminal
    Answer answer;
    RunState after;          // stop, unanswered, skipped
    std::string errHas;      // "" = stderr empty
    std::string errHasNot{}; // must not appear
};

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

class Prompting : public ::testing::TestWithParam<Case> {};

TEST_P(Prompting, AnswersAndTells) {
    const Case &c = GetParam();
    PipeConsole pc(c.terminal);
    RunState state;
    CliPrompter prompter(*pc.console, c.policy, state);
    EXPECT_EQ(prompter.ask(c.message), c.answer);
    EXPECT_EQ(state.stop, c.after.stop);
    EXPECT_EQ(state.unanswered, c.after.unanswered);
    EXPECT_EQ(state.skipped, c.after.skipped);
    const std::string err = pc.err();
    if (c.errHas.empty()) {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_NE(err.find(c.errHas), std::string::npos) << err;
    }
    if (!c.errHasNot.empty()) {
        EXPECT_EQ(err.find(c.errHasNot), std::string::npos) << err;
    }
}

constexpr AnswerPolicy kPlain{};
constexpr AnswerPolicy kQuiet{false, true, false};
constexpr AnswerPolicy kFloppy{false, false, true};
constexpr AnswerPolicy kFloppyYes{true, false, true};
constexpr RunState kNothing{};
constexpr RunState kStopped{true, false, 0};
constexpr RunState kUnanswered{true, true, 0};
constexpr RunState kSkipped{false, false, 1};

INSTANTIATE_TEST_SUITE_P(
    Table, Prompting,
    ::testing::Values(
        Case{"SuccessShownWithLineFeedKept",
             kSuccess,
             kPlain,
             {},
             Answer::Ok,
             kNothing,
             "dorvik-cli: /x/a.doc\n is successfully splitted!\n"},
        Case{"SuccessQuiet", kSuccess, kQuiet, {}, Answer::Ok, kNothing, ""},
        Case{"FailureShownEvenQuiet",
             kFailure,
             kQuiet,
             {},
             Answer::Ok,
             kNothing,
             "dorvik-cli: /x/a.000: No space left on device\nNothing was written.\n"},
        Case{"WarningWithoutFloppyIsOk", kWarning, kPlain, {}, Answer::Ok, kNothing, ""},
        Case{"WarningNoTerminalNamesYes",
             kWarning,
             kFloppy,
             {},
             Answer::Cancel,
             kUnanswered,
             "give --yes"},
        Case{"WarningCancelOnTerminal", kWarning, kFloppy, "c\n", Answer::Cancel, kNothing,
             "Go on?"},
        Case{"WarningAskedAgainUntilUnderstood", kWarning, kFloppy, "maybe\n OK \n", Answer::Ok,
             kNothing, "Go on?"},
        Case{"WarningEndOfInputCancels", kWarning, kFloppy, "", Answer::Cancel, kNothing, "1,4"},
        Case{"DiskYes",
             kDisk,
             kFloppyYes,
             {},
             Answer::Ok,
             kNothing,
             "dorvik-cli: Insert disk #2\n",
             "Press Enter"},
        Case{"DiskEnter", kDisk, kFloppy, "\n", Answer::Ok, kNothing, "Press Enter"},
        Case{"DiskEndOfInputStops", kDisk, kFloppy, "", Answer::Ok, kStopped, "Insert disk #2"},
        Case{"RetryOnTerminal", kRetry, kFloppyYes, "r\n", Answer::Retry, kNothing, "[r]etry"},
        Case{"RetrySkippedOnTerminal", kRetry, kFloppy, "what\ncancel\n", Answer::Cancel, kSkipped,
             "[r]etry"},
        Case{"RetryEndOfInputSkips", kRetry, kFloppy, "", Answer::Cancel, kSkipped, "a.001"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ProgressLine, ClearedBeforeAMessageAndOnlyOnATerminal) {
    {
        PipeConsole pc({}, true);
        pc.console->showProgress("Splitting: piece 1 of 2");
        pc.console->message("a\nb");
        EXPECT_EQ(pc.err(), "\rSplitting: piece 1 of 2\x1b[K\r\x1b[Kdorvik-cli: a\nb\n");
    }
    {
        PipeConsole pc({}, false);
        pc.console->showProgress("Splitting: piece 1 of 2");
        pc.console->clearProgress();
        EXPECT_EQ(pc.err(), "");
    }
}

TEST(ProgressLine, Text) {
    engine::Progress p;
    p.activity = engine::Activity::Joining;
    p.piece = 3;
    p.pieces = 99;
    p.done = 2500000;
    p.total = 10000000;
    EXPECT_EQ(progressText(p), "Joining: piece 3 of 99, 2.5 of 10.0 MB (25%)");
    p.total = 0;
    p.done = 0;
    EXPECT_EQ(progressText(p), "Joining: piece 3 of 99, 0.0 of 0.0 MB");
}

TEST(DefaultPieces, SuggestedElseTheNearestEnd) {
    const std::pair<std::int64_t, int> table[] = {
        {0, 2},          {1400000, 2},         {2800000, 2},
        {2800001, 3},    {99LL * 1400000, 99}, {99LL * 1400000 + 1, 99},
        {5LL << 30, 99},
    };
    for (const auto &[length, pieces] : table)
        EXPECT_EQ(defaultPieces(length), pieces) << length;
}

} // namespace
} // namespace dorvik::cli
