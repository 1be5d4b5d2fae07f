#include "setup/installrun.h"

#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/mounts.h"
#include "platform/translate.h"
#include "setup/shelllink.h"

namespace dorvik::setup {

namespace {

using platform::Status;

constexpr const char *kProgramFile = "Dorvik.exe";
constexpr const char *kMenuLibrary = "Vb5stkit.dll";
constexpr std::size_t kMenuLibraryStep = 3;    // "Vb5stkit._ll" to the target directory
constexpr std::size_t kProductProgramStep = 1; // product name + "._xe" to the program
constexpr std::size_t kProgramStep = 5;        // "Dorvik._xe" to the program file, the last copy

platform::Message finalMessage(const std::string &product, const std::string &target,
                               const Status &reason) {
    platform::Message m;
    m.title = std::nullopt; // the application's own title
    m.buttons = platform::Buttons::Ok;
    if (reason.ok()) {
        m.text = platform::fill(DORVIK_TEXT("Setup", "%1 is successfully installed!"), {product});
        m.icon = platform::Icon::None; // a plain box, like the question
    } else {
        // %1 the product, %2 the target directory, %3 "name: reason".
        m.text = platform::fill(DORVIK_TEXT("Setup", "%1 could not be "
                                                     "installed into %2.\n%3"),
                                {product, target, reason.message()});
        m.icon = platform::Icon::Critical;
    }
    return m;
}

// Checks the files the run is about to copy against the volumes they go to;
// false when the run is to stop before it writes anything.
bool roomToInstall(const std::vector<CopyStep> &steps, const std::string &systemDirectory,
                   platform::Prompter &prompter) {
    // A destination written twice (the program) counts once, at its last size.
    std::vector<platform::PlannedWrite> writes;
    for (std::size_t i = systemDirectory.empty() ? 1 : 0; i < steps.size(); ++i) {
        const std::int64_t bytes = platform::fileLength(steps[i].sourcePath).value_or(0);
        std::erase_if(writes, [&](const auto &w) { return w.path == steps[i].destination; });
        writes.push_back({steps[i].destination, bytes});
    }
    const platform::RoomCheck room = platform::checkRoom(writes);
    platform::Message m{{}, "Setup", platform::Icon::Critical, platform::Buttons::Ok};
    if (room.tooLarge) {
        m.text = platform::tooLargeReason(*room.tooLarge) + "\n" +
                 DORVIK_TEXT("Setup", "Choose another directory; nothing was installed.");
        prompter.ask(m);
        return false;
    }
    if (room.shortfalls.empty())
        return true;
    m.text = platform::shortfallText(
        DORVIK_TEXT("Setup", "Installing needs %1 bytes on %2,\nbut only %3 bytes are free there."),
        room.shortfalls);
    m.icon = platform::Icon::Information;
    m.buttons = platform::Buttons::OkCancel;
    return prompter.ask(m) == platform::Answer::Ok;
}

} // namespace

std::string CopyStep::statusLine() const {
    return platform::fill(DORVIK_TEXT("Setup", "%1 to %2"), {sourceName, destination});
}

std::string GetSysDir() {
    return platform::systemDirectory();
}

InstallEnvironment InstallEnvironment::platformDefaults() {
    InstallEnvironment e;
    e.systemDirectory = GetSysDir;
    e.currentDirectory = [] { return platform::currentDirectory(); };
    e.createShellLink = callShellLinkLibrary;
    return e;
}

std::vector<CopyStep> copySteps(const std::string &product, const std::string &sourceDirectory,
                                const std::string &targetDirectory,
                                const std::string &systemDirectory) {
    const auto step = [&](const std::string &name, std::string destination) {
        return CopyStep{name, platform::joinRootAware(sourceDirectory, name),
                        std::move(destination)};
    };
    const std::string t = targetDirectory + "/";
    return {
        step("Msvbvm50.dll", systemDirectory + "/Msvbvm50.dll"),
        step(product + "._xe", t + product + ".exe"),
        step("order.txt", t + "order.txt"),
        step("Vb5stkit._ll", t + kMenuLibrary),
        step("dorvik.txt", t + "dorvik.txt"),
        step("Dorvik._xe", t + kProgramFile),
    };
}

InstallOutcome runInstallation(InstallView &view, platform::Prompter &prompter,
                               const InstallEnvironment &environment) {
    InstallOutcome out;
    view.setBusy(true);
    const std::string systemDirectory = environment.systemDirectory();
    const std::string product = view.productName();
    const std::string target = view.targetDirectory();

    const std::string source = environment.currentDirectory();
    const std::vector<CopyStep> steps = copySteps(product, source, target, systemDirectory);
    if (!roomToInstall(steps, systemDirectory, prompter)) {
        view.setBusy(false);
        out.wentBack = true;
        return out;
    }

    // From here on a failing step is skipped and the run goes on.
    const Status targetStatus = platform::makeDirectory(target);

    view.setFrameCaption(DORVIK_TEXT("Setup", "Copying:"));
    for (const CopyStep &s : steps)
        view.setTargetLine(s.statusLine());

    for (std::size_t i = 0; i < steps.size(); ++i) {
        // Without a system directory the runtime library would land in the
        // root directory: leave it out instead.
        if (i == 0 && systemDirectory.empty()) {
            out.copyStatuses.push_back(Status::failure(
                DORVIK_TEXT("Setup", "Msvbvm50.dll: the system directory is unknown")));
            continue;
        }
        // Nor are the medium's files looked for in the root directory when
        // the directory the installer was started from cannot be read.
        if (source.empty()) {
            out.copyStatuses.push_back(
                Status::failure(platform::fill(DORVIK_TEXT("Setup", "%1: the installer's directory "
                                                                    "cannot be read"),
                                               {steps[i].sourceName})));
            continue;
        }
        // Each copy is on the device before the run says the product is
        // installed.
        Status copied =
            platform::copyFile(steps[i].sourcePath, steps[i].destination,
                               platform::CopyMethod::Auto, nullptr, platform::Flush::Durable);
        // The program must run even when the medium's files carry no x bit
        // (a CD, an image whose files are all 0444).
        if (copied && (i == kProductProgramStep || i == kProgramStep))
            copied = platform::makeRunnable(steps[i].destination);
        out.copyStatuses.push_back(std::move(copied));
    }

    view.setFrameCaption(DORVIK_TEXT("Setup", "Directory:"));
    view.setTargetLine(target);

    platform::Message question;
    question.text = DORVIK_TEXT("Setup", "Do you want to add the program to the program menu?");
    question.title = "Setup";
    question.icon = platform::Icon::None;
    question.buttons = platform::Buttons::YesNo;
    const std::string library = target + "/" + kMenuLibrary;
    if (prompter.ask(question) == platform::Answer::Yes) {
        // Only the library this run has just put there is ever loaded; a file
        // of that name left from elsewhere is not.
        if (out.copyStatuses[kMenuLibraryStep].ok() && environment.createShellLink) {
            out.menuLinkCalled = true;
            environment.createShellLink(
                library, ShellLinkCall{"", product, target + "/" + product + ".exe", ""});
        }
    }

    // The library is only needed while the entry is made; one that cannot be
    // removed stays, and the run goes on as for any failing step.
    (void)platform::removeFile(library);
    view.setBusy(false);

    // The run succeeded when the program itself arrived: the target directory
    // exists and the last copy into the program file worked.
    const Status reason = targetStatus.ok() ? out.copyStatuses[kProgramStep] : targetStatus;
    out.installed = reason.ok();
    prompter.ask(finalMessage(product, target, reason));
    return out;
}

} // namespace dorvik::setup
