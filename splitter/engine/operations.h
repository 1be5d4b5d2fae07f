// Split and join: the two operations of the splitter, without any window.
// Every question and message goes through a platform::Prompter; what the
// main window has to show afterwards comes back in the result.
#pragma once

#include "platform/fs.h"
#include "platform/prompter.h"

#include <functional>
#include <optional>
#include <string>

namespace dorvik::engine {

// How an operation ended.
enum class Outcome {
    Done,      // finished; its success message was shown
    Refused,   // stopped before writing anything, after a message
    Cancelled, // the user chose Cancel; nothing written
    Failed,    // a file operation failed; reported, half-written files removed
};

struct SplitRequest {
    // File field: full path of the source. Its name and directory are taken
    // from it, so no other record of the choice can disagree with it.
    std::string sourcePath;
    std::string targetDirectory; // directory field
    int pieces = 2;              // piece count, 2 to 99
    bool copyToFloppy = false;   // the floppy option
    std::string floppyDirectory; // where the disks are mounted ("" = platform's)
    // Auto: the kernel copies each piece in one go where it can (holes of a
    // sparse source stay holes); Buffered: always b bytes at a time.
    platform::CopyMethod copyMethod = platform::CopyMethod::Auto;
    std::function<void(bool)> busy; // hourglass on (true) / off (false)
};

// The caller writes every field that is set back into its window, whatever
// the outcome (the suffix is set even when the split ends early).
struct SplitResult {
    Outcome outcome = Outcome::Refused;
    std::optional<std::string> suffix;          // new text of the suffix field
    std::optional<std::string> targetDirectory; // new text of the directory field
};

SplitResult split(const SplitRequest &request, platform::Prompter &prompter);

struct JoinResult;

struct JoinRequest {
    // File field: full path of the first piece; the pieces' directory and
    // names are taken from it likewise.
    std::string firstPiecePath;
    std::string targetDirectory; // directory field
    bool deletePieces = false;   // the delete option
    platform::CopyMethod copyMethod = platform::CopyMethod::Auto;
    std::function<void(bool)> busy;
    // Called once the file is rebuilt, before the last message (the success
    // message, or the report of a failed copy into the target directory),
    // with the result as it will be returned: the window empties its fields
    // and disables Join behind that message.
    std::function<void(const JoinResult &)> finished;
};

// The caller applies every field whatever the outcome: a join whose copy
// into the target directory failed is Failed but has rebuilt the file (and
// may have deleted the pieces), so clearFields and disableJoin are set then.
struct JoinResult {
    Outcome outcome = Outcome::Refused;
    std::optional<std::string> count;           // new text of the count field
    std::optional<std::string> suffix;          // new text of the suffix field
    std::optional<std::string> targetDirectory; // new text of the directory field
    bool clearFields = false;                   // empty file and directory fields
    bool disableJoin = false;                   // disable the Join button
};

JoinResult join(const JoinRequest &request, platform::Prompter &prompter);

} // namespace dorvik::engine
