#include "setup/shelllink.h"
#include "setup/vb5stkit/desktopentry.h"
#include "tests/setup/desktop_entry_reader.h"
#include "tests/setup/setup_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dorvik::vb5stkit {
namespace {

using testing::readDesktopEntry;
using testing::ScopedEnv;
using testing::splitExec;
using testing::TempDir;

// Programs whose paths a menu must start unchanged.
const std::vector<std::string> kAwkwardPrograms = {
    "/opt/My Programs/Dorvik/Dorvik.exe",      "/home/ann/say \"hi\"/Dorvik.exe",
    "/home/ann/100% sure/Dorvik.exe",          "/home/ann/$HOME `id`/Dorvik.exe",
    "/home/ann/back\\slash\\\\two/Dorvik.exe", "/home/ann/%f %u %%/Dorvik.exe",
    "/home/ann/line\nbreak/Dorvik.exe",        "/home/ann/ünïcode/Dorvik.exe",
};

TEST(DesktopEntry, QuotesArgumentsForTheExecKey) {
    EXPECT_EQ(quoteArgument("/a b/c"), "\"/a b/c\"");
    EXPECT_EQ(quoteArgument("a\"b`c$d\\e"), "\"a\\\"b\\`c\\$d\\\\e\"");
    EXPECT_EQ(quoteArgument("50%"), "\"50%%\"");
    EXPECT_EQ(commandLine("/p", "  -x   y "), "\"/p\" \"-x\" \"y\"");
    EXPECT_EQ(commandLine("/p", ""), "\"/p\"");
}

TEST(DesktopEntry, EscapesValues) {
    EXPECT_EQ(escapeValue("a\\b"), "a\\\\b");
    EXPECT_EQ(escapeValue(" lead"), "\\slead");
    EXPECT_EQ(escapeValue("x\ny\tz\r"), "x\\ny\\tz\\r");
    EXPECT_EQ(escapeValue("bell\a"), std::nullopt);
    EXPECT_EQ(entryText("Dorvik", "/p\x01", ""), std::nullopt);
    EXPECT_EQ(entryText("", "/p", ""), std::nullopt);
}

TEST(DesktopEntry, AwkwardProgramPathsReadBackUnchanged) {
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.path());
    for (const std::string &program : kAwkwardPrograms) {
        SCOPED_TRACE(program);
        std::string error;
        const auto path = writeEntry("", "Dorvik", program, "--x y%", &error);
        ASSERT_TRUE(path) << error;
        EXPECT_EQ(*path, data / "applications/Dorvik.desktop");
        const auto keys = readDesktopEntry(*path);
        ASSERT_TRUE(keys);
        EXPECT_EQ(keys->at("Type"), "Application");
        EXPECT_EQ(keys->at("Name"), "Dorvik");
        EXPECT_EQ(keys->at("Terminal"), "false");
        EXPECT_EQ(keys->at("TryExec"), program);
        const auto args = splitExec(keys->at("Exec"));
        ASSERT_TRUE(args) << keys->at("Exec");
        EXPECT_EQ(*args, (std::vector<std::string>{program, "--x", "y%"}));
    }
    // Written under a temporary name and renamed: nothing else is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data / "applications"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(DesktopEntry, WhereTheEntryGoes) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path());
    {
        // A relative data directory is not used.
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(applicationsDirectory(), home / ".local/share/applications");
    }
    ScopedEnv xdg("XDG_DATA_HOME", "");
    const auto path = writeEntry("Tools/Files", "Dor vik!", "/opt/d/Dorvik.exe", "");
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, home / ".local/share/applications/Tools/Files/Dor_vik_.desktop");
    EXPECT_EQ(readDesktopEntry(*path)->at("Name"), "Dor vik!");

    std::string error;
    EXPECT_FALSE(writeEntry("../escape", "Dorvik", "/p", "", &error));
    EXPECT_FALSE(writeEntry("/etc", "Dorvik", "/p", "", &error));
    EXPECT_FALSE(writeEntry("a/./b", "Dorvik", "/p", "", &error));
    EXPECT_FALSE(std::filesystem::exists(home / ".local/share/escape"));

    // A directory in the entry's place: refused, and no temporary file stays.
    const std::string blocked = home / ".local/share/applications/Tools/Blocked.desktop";
    std::filesystem::create_directory(blocked);
    EXPECT_FALSE(writeEntry("Tools", "Blocked", "/p", "", &error));
    EXPECT_NE(error.find(blocked), std::string::npos) << error;
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(home / ".local/share/applications/Tools"),
                      std::filesystem::directory_iterator()),
        2); // Files and Blocked.desktop
}

TEST(DesktopEntry, RelativeProgramBecomesAbsolute) {
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.path());
    const auto path = writeEntry("", "Dorvik", "sub dir/Dorvik.exe", "");
    ASSERT_TRUE(path);
    const auto args = splitExec(readDesktopEntry(*path)->at("Exec"));
    ASSERT_TRUE(args);
    EXPECT_EQ(args->at(0), std::filesystem::current_path().string() + "/sub dir/Dorvik.exe");
}

TEST(ShellLinkLibrary, IsLoadedOnlyByItsFullPath) {
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.path());
    const setup::ShellLinkCall call{"", "Dorvik", "/opt/Dorvik/Dorvik.exe", ""};

    EXPECT_TRUE(setup::callShellLinkLibrary(VB5STKIT_LIBRARY, call));
    EXPECT_TRUE(std::filesystem::exists(data / "applications/Dorvik.desktop"));

    // Bare names would be searched for; missing files and non-libraries fail.
    const std::string bare = std::filesystem::path(VB5STKIT_LIBRARY).filename().string();
    EXPECT_FALSE(setup::callShellLinkLibrary(bare, call));
    EXPECT_FALSE(setup::callShellLinkLibrary(data / "missing.dll", call));
    testing::writeFile(data / "text.dll", "not a library");
    EXPECT_FALSE(setup::callShellLinkLibrary(data / "text.dll", call));
    // The library's own refusal comes back as failure.
    EXPECT_FALSE(setup::callShellLinkLibrary(VB5STKIT_LIBRARY, {"..", "Dorvik", "/p", ""}));
}

} // namespace
} // namespace dorvik::vb5stkit
