// The engine's messages and questions on the command line.
#pragma once

#include "cli/console.h"
#include "platform/prompter.h"

namespace dorvik::cli {

// How questions are answered when nobody is asked.
struct AnswerPolicy {
    bool yes = false;    // --yes: OK / Yes without asking
    bool quiet = false;  // --quiet: no success message
    bool floppy = false; // --floppy: the warning about pieces too large for a disk matters
};

// What the questions of a run came to, for its exit status.
struct RunState {
    bool stop = false;       // the run is to stop (read by the monitor)
    bool unanswered = false; // a question found no terminal and no --yes
};

// Shows every message on the console with the same words, "dorvik-cli: "
// first, and answers every question:
// - the success message is left out with `quiet`;
// - the warning that the pieces will not fit on floppy disks is answered OK
//   without a word unless `floppy`, since no disk is involved then;
// - with `yes`, OK, OK/Cancel and Yes/No questions (a disk to insert, the
//   warning) are answered OK or Yes without asking;
// - otherwise they are asked on the terminal. Without one, the question is
//   shown, followed by a message naming --yes, `unanswered` and `stop` are
//   set, and the answer is Cancel, No, or OK for a disk (the stop then ends
//   the run);
// - Retry/Cancel is asked on the terminal even with `yes`, and answered
//   Cancel without one: a failed copy is never retried blindly;
// - no answer on the terminal (end of input, Ctrl+C) is Cancel, or for a
//   disk to insert, OK with `stop` set.
class CliPrompter : public platform::Prompter {
public:
    CliPrompter(Console &console, AnswerPolicy policy, RunState &state)
        : console_(console), policy_(policy), state_(state) {}
    platform::Answer ask(const platform::Message &message) override;

private:
    platform::Answer askOnTerminal(const platform::Message &message, bool disk);

    Console &console_;
    AnswerPolicy policy_;
    RunState &state_;
};

} // namespace dorvik::cli
