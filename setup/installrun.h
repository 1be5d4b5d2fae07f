// The installation run: makes the target directory, copies the files of the
// install medium into place, offers the program-menu entry, removes the
// menu library again and tells the user the outcome.
#pragma once

#include "platform/prompter.h"
#include "platform/status.h"

#include <functional>
#include <string>
#include <vector>

namespace dorvik::setup {

// The four strings handed to the menu library, in the order it takes them.
struct ShellLinkCall {
    std::string folder;
    std::string caption;
    std::string program;
    std::string arguments;
    bool operator==(const ShellLinkCall &) const = default;
};

// Adds a program-menu entry through the library at `libraryPath`. The run
// ignores the result.
using ShellLinker = std::function<bool(const std::string &libraryPath, const ShellLinkCall &)>;

// What the run reads from and shows in the main window.
class InstallView {
public:
    virtual ~InstallView() = default;
    virtual std::string productName() const = 0;
    // The target directory as the window shows it.
    virtual std::string targetDirectory() const = 0;
    // Hourglass on (true) or off.
    virtual void setBusy(bool busy) = 0;
    // Caption of the frame around the target directory line. The run does
    // not return to the event loop while it copies: the view paints each
    // change before it returns, so that the user sees it.
    virtual void setFrameCaption(const std::string &caption) = 0;
    // The target directory line, which also carries the copy status; painted
    // before the call returns, like the caption.
    virtual void setTargetLine(const std::string &text) = 0;
};

// The system directory that the runtime library is copied into: the per-user
// library directory, made when missing; "" when it cannot be had.
std::string GetSysDir();

// Where the run finds the machine; defaults ask the platform and load the
// real menu library.
struct InstallEnvironment {
    std::function<std::string()> systemDirectory;
    std::function<std::string()> currentDirectory;
    ShellLinker createShellLink;

    static InstallEnvironment platformDefaults();
};

// One copy of the medium.
struct CopyStep {
    std::string sourceName;
    std::string sourcePath;
    std::string destination;
    // "<source name> to <destination>", in the user's language.
    std::string statusLine() const;
};

// The six copies in their order. A source path gets no second "/" after a
// directory that ends in one; a destination always gets its "/".
std::vector<CopyStep> copySteps(const std::string &product, const std::string &sourceDirectory,
                                const std::string &targetDirectory,
                                const std::string &systemDirectory);

struct InstallOutcome {
    // The run stopped before it wrote anything (a file too large for its
    // file system, or Cancel to too little free space): the installer's
    // window stays.
    bool wentBack = false;
    bool installed = false;                     // the program arrived in the target directory
    std::vector<platform::Status> copyStatuses; // one per copy step
    bool menuLinkCalled = false;
};

// Runs the installation from the click to the final message (shown through
// `prompter`). Failing steps are skipped; the final message tells whether
// the program itself arrived. Ending the installer is the caller's part.
//
// Before the target directory is made, the files to install are checked
// against the volumes of the target and the system directory: one larger
// than its file system holds is refused, naming it and the limit (title
// "Setup", critical icon, OK); too little free space is a warning (title
// "Setup", information icon, OK/Cancel). The refusal and Cancel end the run
// with wentBack set and nothing installed.
InstallOutcome runInstallation(InstallView &view, platform::Prompter &prompter,
                               const InstallEnvironment &environment);

} // namespace dorvik::setup
