#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/text.h"

#ifndef _WIN32
#include "tests/support/scoped_env.h"
#endif
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

namespace {

using namespace dorvik::platform;
using dorvik::testing::TempDir;

TEST(Text, LastCharactersCountCharactersNotBytes) {
    EXPECT_EQ(lastCharacters("setup.exe", 3), "exe");
    EXPECT_EQ(lastCharacters("data.gz", 3), ".gz");
    EXPECT_EQ(lastCharacters("rapport.d\xC3\xA9j", 3), "d\xC3\xA9j");
    EXPECT_EQ(withoutLastCharacters("rapport.d\xC3\xA9j", 3), "rapport.");
    EXPECT_EQ(withoutLastCharacters("abc", 3), "");
    EXPECT_EQ(characterCount("\xC3\xA9t\xC3\xA9"), 3u);
}

// The stored byte of each character, or nullopt for none: Windows-1252 as
// browsers read it, on every system.
TEST(Text, EightBitIsWindows1252) {
    const std::pair<std::string, std::optional<std::string>> table[] = {
        {"d\xC3\xA9j", "d\xE9j"},                         // déj: Latin-1 letters keep their byte
        {"\xE2\x82\xAC", "\x80"},                         // the euro sign
        {"\xC5\xA0\xC5\xB8\xE2\x84\xA2", "\x8A\x9F\x99"}, // Š Ÿ ™
        {"\xC2\x81\xC2\x9D", "\x81\x9D"},   // the unused bytes: their control characters
        {"\xC2\x80", std::nullopt},         // a control character 0x80 now stands for €
        {"\xD0\x96", std::nullopt},         // Cyrillic
        {"\xF0\x9F\x98\x80", std::nullopt}, // an emoji
        {"\xC3", std::nullopt},             // broken UTF-8
        {"\xC0\xAF", std::nullopt},         // an overlong form
        {"\xED\xA0\x80", std::nullopt},     // a surrogate
    };
    for (const auto &[utf8, bytes] : table) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(toEightBit(utf8), bytes);
        if (bytes) {
            EXPECT_EQ(fromEightBit(*bytes), utf8);
        }
    }
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(toEightBit(fromEightBit(byte)), byte) << "every byte reads back as itself: " << b;
    }
}

#ifndef _WIN32
TEST(Drives, RootComesFirstAndEveryPathHasAVolume) {
    const auto list = volumes();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front().mountPoint, "/");
    for (const Volume &v : list)
        EXPECT_TRUE(isDirectory(v.mountPoint)) << v.mountPoint;
    TempDir dir;
    const std::string volume = volumeOf(dir.path());
    EXPECT_TRUE(std::any_of(list.begin(), list.end(),
                            [&](const Volume &v) { return v.mountPoint == volume; }));
    EXPECT_EQ(volumeOf(dir / "not/yet/made"), volume);
}
#endif

#ifndef _WIN32
TEST(Drives, CurrentDirectoryOfADrive) {
    const std::string cwd = currentDirectory();
    EXPECT_EQ(driveCurrentDirectory(volumeOf(cwd)), cwd);
    EXPECT_TRUE(checkDriveReadable("/").ok());
    Status missing = checkDriveReadable("/no/such/drive");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("/no/such/drive"), std::string::npos);
}
#endif

#ifndef _WIN32
TEST(Drives, SystemDirectoryIsMadeInTheHome) {
    TempDir home;
    const std::string sys = [&] {
        dorvik::testing::ScopedEnv env("HOME", home.path());
        return systemDirectory();
    }();
    EXPECT_EQ(sys, home / ".local/lib");
    EXPECT_TRUE(isDirectory(sys));
}
#endif

} // namespace
