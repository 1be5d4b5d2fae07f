#include "platform/drives.h"
#include "platform/faults.h"
#include "platform/mounts.h"
#include "setup/installrun.h"
#include "tests/setup/desktop_entry_reader.h"
#include "tests/setup/setup_test_support.h"
#include "tests/support/child.h"
#include "tests/support/recording_prompter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace dorvik::setup {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using testing::readText;
using testing::ScopedEnv;
using testing::TempDir;
using testing::writeFile;

const std::string kProgram = "#!/bin/sh\necho Dorvik\n";

class RecordingView : public InstallView {
public:
    std::string target;
    std::vector<std::string> events; // "frame:..", "line:..", "busy", "idle"

    std::string productName() const override { return "Dorvik"; }
    std::string targetDirectory() const override { return target; }
    void setBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void setFrameCaption(const std::string &c) override { events.push_back("frame:" + c); }
    void setTargetLine(const std::string &t) override { events.push_back("line:" + t); }
};

// A medium, a home with its library directory and a data directory for the
// menu, all temporary.
class InstallRunTest : public ::testing::Test {
protected:
    TempDir root;
    std::string medium = root / "medium";
    // A home whose path needs quoting in the menu entry.
    std::string home = root / "ann \"the\" 100% $USER";
    ScopedEnv homeEnv{"HOME", home};
    ScopedEnv dataEnv{"XDG_DATA_HOME", root / "data"};
    RecordingView view;
    dorvik::testing::RecordingPrompter prompter;
    InstallEnvironment env = InstallEnvironment::platformDefaults();

    void SetUp() override {
        fs::create_directories(medium);
        fs::create_directories(home);
        writeFile(medium + "/Msvbvm50.dll", "runtime library");
        writeFile(medium + "/Dorvik._xe", kProgram);
        fs::permissions(medium + "/Dorvik._xe", fs::perms(0755));
        writeFile(medium + "/order.txt", "how to order");
        writeFile(medium + "/dorvik.txt", "what it does");
        fs::copy_file(VB5STKIT_LIBRARY, medium + "/Vb5stkit._ll");
        view.target = home + "/Dorvik";
        env.currentDirectory = [this] { return medium; };
    }

    std::string entryPath() const { return root / "data/applications/Dorvik.desktop"; }
    InstallOutcome run() { return runInstallation(view, prompter, env); }
};

TEST_F(InstallRunTest, FullRunInstallsAndAddsTheMenuEntry) {
    const InstallOutcome out = run();
    const std::string target = view.target;
    const std::string sys = home + "/.local/lib";
    ASSERT_EQ(GetSysDir(), sys);

    EXPECT_EQ(view.events, (std::vector<std::string>{
                               "busy",
                               "frame:Copying:",
                               "line:Msvbvm50.dll to " + sys + "/Msvbvm50.dll",
                               "line:Dorvik._xe to " + target + "/Dorvik.exe",
                               "line:order.txt to " + target + "/order.txt",
                               "line:Vb5stkit._ll to " + target + "/Vb5stkit.dll",
                               "line:dorvik.txt to " + target + "/dorvik.txt",
                               "line:Dorvik._xe to " + target + "/Dorvik.exe",
                               "frame:Directory:",
                               "line:" + target,
                               "idle",
                           }));
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "Do you want to add the program to the program menu?");
    EXPECT_EQ(prompter.messages[0].title, "Setup");
    EXPECT_EQ(prompter.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(prompter.messages[1].text, "Dorvik is successfully installed!");
    EXPECT_EQ(prompter.messages[1].title, std::nullopt); // the application's title
    EXPECT_EQ(prompter.messages[1].buttons, platform::Buttons::Ok);
    // Both are plain boxes without an icon.
    EXPECT_EQ(prompter.messages[0].icon, platform::Icon::None);
    EXPECT_EQ(prompter.messages[1].icon, platform::Icon::None);
    EXPECT_TRUE(out.installed);

    EXPECT_EQ(readText(sys + "/Msvbvm50.dll"), "runtime library");
    EXPECT_EQ(readText(target + "/Dorvik.exe"), kProgram);
    EXPECT_EQ(readText(target + "/order.txt"), "how to order");
    EXPECT_EQ(readText(target + "/dorvik.txt"), "what it does");
    EXPECT_FALSE(fs::exists(target + "/Vb5stkit.dll"));
    struct stat st {};
    ASSERT_EQ(::stat((target + "/Dorvik.exe").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR) << "the installed program must stay executable";

    const auto entry = dorvik::testing::readDesktopEntry(entryPath());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->at("Name"), "Dorvik");
    const auto exec = dorvik::testing::splitExec(entry->at("Exec"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(*exec, std::vector<std::string>{target + "/Dorvik.exe"});
}

// A file too large for the target's volume, or Cancel to too little free
// space there: nothing is installed, not even the runtime library.
TEST_F(InstallRunTest, NothingIsWrittenWhenTheTargetsVolumeHasNoRoom) {
    const struct {
        std::int64_t largest;
        std::string says;
    } table[] = {
        {11, home + "/Dorvik/order.txt: this file would have 12 bytes; the vfat file system of /t "
                    "holds files of at most 11 bytes.\nChoose another directory; nothing was "
                    "installed."},
        {1 << 30, "Installing needs "},
    };
    for (const auto &row : table) {
        prompter.answers = {Answer::Cancel};
        platform::ScopedVolumeSeam seam({[&](const std::string &path) {
                                             return path.starts_with(view.target)
                                                        ? platform::VolumeFacts{"/t", "vfat", 1, 1,
                                                                                row.largest}
                                                        : std::optional<platform::VolumeFacts>();
                                         },
                                         {}});
        EXPECT_TRUE(run().wentBack);
        EXPECT_EQ(prompter.messages.back().text.rfind(row.says, 0), 0u);
        EXPECT_EQ(prompter.messages.back().title, "Setup");
        EXPECT_FALSE(fs::exists(view.target) || fs::exists(home + "/.local/lib/Msvbvm50.dll"));
    }
}

TEST_F(InstallRunTest, AnswerNoMakesNoEntryButStillRemovesTheLibrary) {
    prompter.answers = {Answer::No};
    const InstallOutcome out = run();
    EXPECT_FALSE(out.menuLinkCalled);
    EXPECT_FALSE(fs::exists(entryPath()));
    EXPECT_FALSE(fs::exists(view.target + "/Vb5stkit.dll"));
    EXPECT_EQ(prompter.messages.back().text, "Dorvik is successfully installed!");
}

TEST_F(InstallRunTest, MenuCallGetsItsFourStringsAndTheLibraryJustCopied) {
    std::vector<std::pair<std::string, ShellLinkCall>> calls;
    env.createShellLink = [&](const std::string &library, const ShellLinkCall &call) {
        EXPECT_EQ(readText(library), readText(medium + "/Vb5stkit._ll"));
        calls.emplace_back(library, call);
        return false; // a failing call changes nothing
    };
    view.target = root / "plain";
    run();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, view.target + "/Vb5stkit.dll");
    EXPECT_EQ(calls[0].second, (ShellLinkCall{"", "Dorvik", view.target + "/Dorvik.exe", ""}));
    EXPECT_EQ(prompter.messages.back().text, "Dorvik is successfully installed!");
}

TEST_F(InstallRunTest, StaleLibraryInTheTargetIsNeverLoaded) {
    fs::remove(medium + "/Vb5stkit._ll");
    fs::create_directories(view.target);
    fs::copy_file(VB5STKIT_LIBRARY, view.target + "/Vb5stkit.dll");
    int calls = 0;
    env.createShellLink = [&](const std::string &, const ShellLinkCall &) { return ++calls, true; };
    const InstallOutcome out = run();
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(fs::exists(view.target + "/Vb5stkit.dll"));
    EXPECT_TRUE(out.installed);
}

TEST_F(InstallRunTest, MediumWithoutOrderTextStillSucceeds) {
    fs::remove(medium + "/order.txt");
    const InstallOutcome out = run();
    EXPECT_TRUE(out.installed);
    EXPECT_FALSE(out.copyStatuses[2].ok());
    EXPECT_EQ(readText(view.target + "/dorvik.txt"), "what it does");
    EXPECT_FALSE(fs::exists(view.target + "/order.txt"));
    EXPECT_EQ(prompter.messages.back().text, "Dorvik is successfully installed!");
}

TEST_F(InstallRunTest, ExistingTargetWithOlderFilesIsUpdated) {
    fs::create_directories(view.target);
    for (const char *name : {"Dorvik.exe", "order.txt", "dorvik.txt", "Vb5stkit.dll"})
        writeFile(view.target + "/" + name, "old old old old old");
    const InstallOutcome out = run();
    EXPECT_TRUE(out.installed);
    EXPECT_EQ(readText(view.target + "/Dorvik.exe"), kProgram);
    EXPECT_EQ(readText(view.target + "/order.txt"), "how to order");
    EXPECT_EQ(readText(view.target + "/dorvik.txt"), "what it does");
    EXPECT_FALSE(fs::exists(view.target + "/Vb5stkit.dll"));
}

TEST_F(InstallRunTest, RuntimeLibraryThatCannotBeReplacedKeepsTheSuccess) {
    env.systemDirectory = [this] { return root / "no such dir/lib"; };
    InstallOutcome out = run();
    EXPECT_FALSE(out.copyStatuses[0].ok());
    EXPECT_TRUE(out.installed);
    EXPECT_EQ(prompter.messages.back().text, "Dorvik is successfully installed!");

    // Without a system directory the library is not put anywhere at all.
    env.systemDirectory = [] { return std::string(); };
    view.events.clear();
    out = run();
    EXPECT_FALSE(out.copyStatuses[0].ok());
    EXPECT_NE(view.events[2].find("Msvbvm50.dll to /Msvbvm50.dll"), std::string::npos);
    EXPECT_TRUE(out.installed);
}

TEST_F(InstallRunTest, TargetThatCannotBeMadeIsReportedAsFailure) {
    view.target = root / "missing parent/Dorvik";
    const InstallOutcome out = run();
    EXPECT_FALSE(out.installed);
    const platform::Message &last = prompter.messages.back();
    EXPECT_EQ(last.title, std::nullopt);
    EXPECT_EQ(last.icon, platform::Icon::Critical);
    EXPECT_EQ(last.text.find("successfully"), std::string::npos);
    EXPECT_NE(last.text.find("Dorvik could not be installed into " + view.target + "."),
              std::string::npos)
        << last.text;
    EXPECT_NE(last.text.find(view.target + ": No such file or directory"), std::string::npos)
        << last.text;
    // The run went on past the failure: the runtime library is in place.
    EXPECT_TRUE(fs::exists(home + "/.local/lib/Msvbvm50.dll"));
}

TEST_F(InstallRunTest, MissingProgramIsReportedAsFailure) {
    fs::remove(medium + "/Dorvik._xe");
    // An older copy in the target does not count as installed.
    fs::create_directories(view.target);
    writeFile(view.target + "/Dorvik.exe", "old");
    const InstallOutcome out = run();
    EXPECT_FALSE(out.installed);
    const std::string &text = prompter.messages.back().text;
    EXPECT_EQ(text.find("successfully"), std::string::npos);
    EXPECT_NE(text.find(view.target), std::string::npos) << text;
    EXPECT_NE(text.find("Dorvik._xe"), std::string::npos) << text;
    EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    // The rest was installed all the same.
    EXPECT_EQ(readText(view.target + "/order.txt"), "how to order");
}

TEST_F(InstallRunTest, UnreadableStartDirectoryCopiesNothingFromTheRoot) {
    // The directory setup was started from has gone: nothing may be taken
    // from "/" in its place, the menu library above all.
    env.currentDirectory = [] { return std::string(); };
    int links = 0;
    env.createShellLink = [&](const std::string &, const ShellLinkCall &) { return ++links, true; };
    const InstallOutcome out = run();
    for (const platform::Status &s : out.copyStatuses)
        EXPECT_FALSE(s.ok());
    EXPECT_EQ(links, 0);
    EXPECT_FALSE(out.installed);
    const std::string &text = prompter.messages.back().text;
    EXPECT_EQ(text.find("successfully"), std::string::npos);
    EXPECT_NE(text.find("Dorvik._xe: the installer's directory cannot be read"), std::string::npos)
        << text;
    EXPECT_TRUE(fs::is_empty(view.target));
}

// A CD or a mounted image: every file read-only, the directory too. An
// ordinary user installs from it.
TEST_F(InstallRunTest, AReadOnlyMediumInstallsForAnOrdinaryUser) {
    for (const auto &e : fs::directory_iterator(medium))
        fs::permissions(e.path(), fs::perms(0444));
    fs::permissions(medium, fs::perms(0555));
    fs::create_directories(root / "data");
    for (const std::string &d : {home, root / "data"})
        dorvik::testing::handToNobody(root.path(), d);
    const int code = dorvik::testing::runAsNobody([&] {
        const InstallOutcome out = run();
        for (const platform::Status &s : out.copyStatuses)
            if (!s.ok())
                return 1;
        return out.installed && prompter.messages.back().text == "Dorvik is successfully installed!"
                   ? 0
                   : 2;
    });
    if (code == dorvik::testing::kCannotDrop)
        GTEST_SKIP() << "cannot drop to uid 65534 here";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readText(view.target + "/order.txt"), "how to order");
    struct stat st {};
    ASSERT_EQ(::stat((view.target + "/Dorvik.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0555u) << "the installed program runs";
    ASSERT_EQ(::stat((view.target + "/order.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(readText(home + "/.local/lib/Msvbvm50.dll"), "runtime library");
    fs::permissions(medium, fs::perms(0755));
}

TEST_F(InstallRunTest, WhatWasInstalledIsFlushedBeforeTheSuccessMessage) {
    std::vector<std::string> events;
    platform::faults::ScopedHook hook([&](platform::faults::Call call, const std::string &path) {
        if (call == platform::faults::Call::Fsync)
            events.push_back("fsync " + path);
        return 0;
    });
    prompter.onMessage = [&](const platform::Message &m) { events.push_back(m.text); };
    prompter.answers = {Answer::No};
    ASSERT_TRUE(run().installed);
    const auto at = [&](const std::string &event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    const auto success = at("Dorvik is successfully installed!");
    ASSERT_LT(success, static_cast<std::ptrdiff_t>(events.size()));
    for (const std::string &file :
         {home + "/.local/lib/Msvbvm50.dll", view.target + "/Dorvik.exe",
          view.target + "/order.txt", view.target + "/dorvik.txt", view.target}) {
        SCOPED_TRACE(file);
        EXPECT_LT(at("fsync " + file), success);
    }
}

TEST(InstallPaths, SourceDirectoryAtAVolumeRootGetsOneSeparator) {
    // A medium at the root "/" is the table's case below.
    EXPECT_EQ(copySteps("Dorvik", "/media/disk1", "/t", "/s")[2].sourcePath,
              "/media/disk1/order.txt");
    EXPECT_EQ(copySteps("Dorvik", "/media/usb/", "/t", "/s")[2].sourcePath, "/media/usb/order.txt");

    // Destinations always get the separator: a target chosen at a root keeps
    // its two.
    const auto steps = copySteps("Dorvik", "/", "//Dorvik", "/home/ann/.local/lib");
    ASSERT_EQ(steps.size(), 6u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"/Msvbvm50.dll", "/home/ann/.local/lib/Msvbvm50.dll"},
        {"/Dorvik._xe", "//Dorvik/Dorvik.exe"},
        {"/order.txt", "//Dorvik/order.txt"},
        {"/Vb5stkit._ll", "//Dorvik/Vb5stkit.dll"},
        {"/dorvik.txt", "//Dorvik/dorvik.txt"},
        {"/Dorvik._xe", "//Dorvik/Dorvik.exe"},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].sourcePath, expected[i].first);
        EXPECT_EQ(steps[i].destination, expected[i].second);
    }
    EXPECT_EQ(steps[3].statusLine(), "Vb5stkit._ll to //Dorvik/Vb5stkit.dll");
    // The product name picks step 2's files; the others are fixed names.
    EXPECT_EQ(copySteps("Xy", "/m", "/t", "/s")[1].destination, "/t/Xy.exe");
    EXPECT_EQ(copySteps("Xy", "/m", "/t", "/s")[5].destination, "/t/Dorvik.exe");
}

} // namespace
} // namespace dorvik::setup
