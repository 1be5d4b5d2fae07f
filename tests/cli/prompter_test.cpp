#include "cli/console.h"
#include "cli/prompter.h"
#include "cli/run.h"

#include <cstdio>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace dorvik::cli {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::Message;

// Temporary files standing for stderr (stdout too) and for a terminal that
// holds `input` and then ends, or none.
struct Files {
    explicit Files(const std::optional<std::string> &input) {
        if (input) {
            inFile = temporaryFile(*input);
            in = fileno(inFile);
        }
    }
    ~Files() {
        std::fclose(errFile);
        if (inFile)
            std::fclose(inFile);
    }
    Console::Channels channels(bool errIsTerminal = false) const {
        return {err, err, errIsTerminal, in, in >= 0 ? err : -1};
    }
    std::string errText() const {
        std::string s(static_cast<std::size_t>(::lseek(err, 0, SEEK_END)), '\0');
        ::lseek(err, 0, SEEK_SET);
        EXPECT_EQ(::read(err, s.data(), static_cast<unsigned>(s.size())),
                  static_cast<int>(s.size()));
        return s;
    }
    static std::FILE *temporaryFile(const std::string &text) {
        std::FILE *f = std::tmpfile();
        EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
        std::fflush(f);
        ::lseek(fileno(f), 0, SEEK_SET);
        return f;
    }

    std::FILE *errFile = temporaryFile(""), *inFile = nullptr;
    int err = fileno(errFile), in = -1;
};

const Message kSuccess{"/x/a.doc\n is successfully splitted!", {}}, kDisk{"Insert disk #2", {}};
const Message kFailure{"a.000: No space left on device\nNothing was written.", {}, Icon::Critical};
const Message kWarning{"The files will be larger than 1,4 Mb,\nand will not fit on floppy disks.",
                       {},
                       Icon::Information,
                       Buttons::OkCancel};
const Message kRetry{"a.001: No space left on device", {}, Icon::Critical, Buttons::RetryCancel};

// What the console shows after a question's text.
const std::string kGoOn = "Go on? [o]k / [c]ancel: ",
                  kRetryOn = "[r]etry / [c]ancel (skip this piece): ",
                  kEnter = "Press Enter when the disk is in (Ctrl+C stops): ",
                  kNeedsYes = "dorvik-cli: this needs an answer, and there is no terminal to ask "
                              "on; give --yes to answer OK.\n";

// The answer to each question with a terminal (its input) or without one
// (nullopt), and what it does to the run and shows on stderr.
TEST(CliPrompter, AnswersAndTells) {
    constexpr AnswerPolicy plain{}, quiet{.quiet = true}, floppy{.floppy = true},
        floppyYes{.yes = true, .floppy = true};
    constexpr RunState none{}, stop{.stop = true}, unanswered{true, true};
    const std::nullopt_t noTerminal = std::nullopt;
    const struct {
        const char *name;
        Message message;
        AnswerPolicy policy;
        std::optional<std::string> terminal;
        Answer answer;
        RunState after;
        std::optional<std::string> then; // stderr: the message, then this; nullopt: nothing
    } table[] = {
        {"Success", kSuccess, plain, noTerminal, Answer::Ok, none, ""},
        {"SuccessQuiet", kSuccess, quiet, noTerminal, Answer::Ok, none, std::nullopt},
        {"FailureEvenQuiet", kFailure, quiet, noTerminal, Answer::Ok, none, ""},
        {"WarningWithoutFloppy", kWarning, plain, noTerminal, Answer::Ok, none, std::nullopt},
        {"WarningNoTerminal", kWarning, floppy, noTerminal, Answer::Cancel, unanswered, kNeedsYes},
        {"WarningAskedUntilUnderstood", kWarning, floppy, "maybe\n OK \n", Answer::Ok, none,
         kGoOn + kGoOn},
        {"WarningEndOfInput", kWarning, floppy, "", Answer::Cancel, none, kGoOn + "\n"},
        {"DiskYes", kDisk, floppyYes, noTerminal, Answer::Ok, none, ""},
        {"DiskEnter", kDisk, floppy, "\n", Answer::Ok, none, kEnter},
        {"DiskEndOfInput", kDisk, floppy, "", Answer::Ok, stop, kEnter + "\n"},
        // --yes never retries: asked on a terminal, skipped without one.
        {"RetryYesTerminal", kRetry, floppyYes, "r\n", Answer::Retry, none, kRetryOn},
        {"RetryYesNoTerminal", kRetry, floppyYes, noTerminal, Answer::Cancel, none,
         "dorvik-cli: no terminal to answer Retry on: the piece is skipped.\n"},
        {"RetryCancelled", kRetry, floppy, "what\ncancel\n", Answer::Cancel, none,
         kRetryOn + kRetryOn},
    };
    for (const auto &c : table) {
        SCOPED_TRACE(c.name);
        Files files(c.terminal);
        Console console(files.channels());
        RunState state;
        CliPrompter prompter(console, c.policy, state);
        EXPECT_EQ(prompter.ask(c.message), c.answer);
        EXPECT_EQ(state.stop, c.after.stop);
        EXPECT_EQ(state.unanswered, c.after.unanswered);
        EXPECT_EQ(files.errText(), c.then ? "dorvik-cli: " + c.message.text + "\n" + *c.then : "");
    }
}

// Shown on a terminal only, and cleared before a message.
TEST(ProgressLine, ClearedBeforeAMessageAndOnlyOnATerminal) {
    for (const bool terminal : {true, false}) {
        Files files(std::nullopt);
        Console console(files.channels(terminal));
        console.showProgress("Splitting: piece 1 of 2");
        console.message("a\nb");
#ifdef _WIN32
        // Blanks to the console's width (80 where it has none) erase the line.
        const std::string shown =
            "\rSplitting: piece 1 of 2" + std::string(56, ' ') + "\r" + std::string(79, ' ') + "\r";
#else
        const std::string shown = "\rSplitting: piece 1 of 2\x1b[K\r\x1b[K";
#endif
        EXPECT_EQ(files.errText(), (terminal ? shown : "") + "dorvik-cli: a\nb\n");
    }
    engine::Progress p;
    p.activity = engine::Activity::Joining;
    p.piece = 3;
    p.pieces = 99;
    p.done = 2500000;
    p.total = 10000000;
    EXPECT_EQ(progressText(p), "Joining: piece 3 of 99, 2.5 of 10.0 MB (25%)");
    p.done = p.total = 0; // nothing to divide by
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
