#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/text.h"

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(Text, EightBitRoundTripAndRefusal) {
    const std::string utf8 = "d\xC3\xA9j"; // déj
    auto bytes = toEightBit(utf8);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, std::string("d\xE9j"));
    EXPECT_EQ(fromEightBit(*bytes), utf8);
    EXPECT_FALSE(toEightBit("\xE2\x82\xAC")) << "the euro sign has no Latin-1 form";
    EXPECT_FALSE(toEightBit("\xF0\x9F\x98\x80")) << "nor has an emoji";
    EXPECT_FALSE(toEightBit("\xC3")) << "broken UTF-8 is refused";
    EXPECT_FALSE(toEightBit("\xC0\xAF")) << "overlong forms are refused";
}

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

TEST(Drives, CurrentDirectoryOfADrive) {
    const std::string cwd = currentDirectory();
    EXPECT_EQ(driveCurrentDirectory(volumeOf(cwd)), cwd);
    EXPECT_TRUE(checkDriveReadable("/").ok());
    Status missing = checkDriveReadable("/no/such/drive");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("/no/such/drive"), std::string::npos);
}

TEST(Drives, SystemDirectoryIsMadeInTheHome) {
    TempDir home;
    const std::string sys = [&] {
        dorvik::testing::ScopedEnv env("HOME", home.path());
        return systemDirectory();
    }();
    EXPECT_EQ(sys, home / ".local/lib");
    EXPECT_TRUE(isDirectory(sys));
}

} // namespace
