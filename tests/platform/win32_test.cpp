// What the platform layer does differently on Windows: paths with drives and
// either separator, names Windows reserves, paths past 260 characters, wide
// names, files shared with other programs while a run uses them, and the
// sweep of leftovers by their LockFileEx lock.
#include "platform/fs.h"
#include "platform/win32/win32.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace dorvik::platform;
using dorvik::testing::listDirectory;
using dorvik::testing::patternBytes;
using dorvik::testing::readFile;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;

TEST(WindowsPaths, DrivesAndBothSeparators) {
    const std::pair<std::string, std::string> table[] = {
        {joinRootAware("c:\\", "x"), "c:\\x"}, {joinRootAware("c:\\data", "x"), "c:\\data\\x"},
        {joinPlain("c:\\", "x"), "c:\\\\x"},   {shortenRootForTarget("c:\\"), "c:"},
        {shortenRootForTarget("c:/"), "c:"},   {shortenRootForTarget("c:\\data"), "c:\\data"},
        {fileNameOf("c:\\a\\b.txt"), "b.txt"}, {fileNameOf("c:/a/b.txt"), "b.txt"},
        {fileNameOf("c:b.txt"), "b.txt"},      {directoryOf("c:\\b.txt"), "c:\\"},
        {directoryOf("c:\\a/b.txt"), "c:\\a"}, {directoryOf("c:b.txt"), "c:"},
        {directoryOf("\\b.txt"), "\\"},        {directoryOf("b.txt"), ""},
    };
    for (const auto &[got, expected] : table)
        EXPECT_EQ(got, expected);
}

TEST(WindowsPaths, NameEndingsWindowsReserves) {
    const std::pair<std::string, bool> table[] = {
        {"doc", true},
        {"d\xC3\xA9j", true},
        {"a:b", false},
        {"a\\b", false},
        {"a/b", false},
        {"a*b", false},
        {"a?b", false},
        {"a|b", false},
        {"\x01"
         "ab",
         false},
    };
    for (const auto &[ending, fits] : table)
        EXPECT_EQ(canEndFileName(ending), fits) << ending;
}

// Past 260 characters and with names in any script: made, written, copied,
// listed and read through the same calls as any other.
TEST(WindowsPaths, LongAndWideNames) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 300) {
        deep += "\\" + std::string(40, 'd');
        ASSERT_TRUE(makeDirectory(deep)) << deep.size();
    }
    const std::string wide = "\xCE\xA9mega-\xE6\x96\x87\xE5\xAD\x97.bin"; // Ωmega-文字.bin
    const std::string data = patternBytes(200000);
    writeFile(dir / wide, data);
    const std::string copy = deep + "\\\xD0\xBA\xD0\xBE\xD0\xBF\xD0\xB8\xD1\x8F-\xF0\x9F\x98\x80";
    ASSERT_GT(copy.size(), 300u);
    const Status copied = copyFile(dir / wide, copy);
    ASSERT_TRUE(copied) << copied.message();
    EXPECT_EQ(fileLength(copy), 200000);
    File in;
    ASSERT_TRUE(in.open(copy));
    std::string got(data.size(), '\0');
    ASSERT_TRUE(in.readAt(0, got.data(), got.size()));
    EXPECT_TRUE(got == data);
    Directory d;
    ASSERT_TRUE(d.open(deep));
    EXPECT_EQ(d.names(), std::vector<std::string>{fileNameOf(copy)});
}

// A file a run reads, a file it writes, and the directory it works in, while
// another program comes along.
TEST(WindowsSharing, OtherProgramsReadWhatARunUses) {
    TempDir dir;
    writeFile(dir / "piece.000", "piece data");
    ASSERT_TRUE(makeDirectory(dir / "set"));
    File reading;
    ASSERT_TRUE(reading.open(dir / "piece.000"));
    Directory set;
    ASSERT_TRUE(set.open(dir / "set"));
    NewFile writing;
    ASSERT_TRUE(writing.create(set, "rebuilt.bin"));
    ASSERT_TRUE(writing.file().writeAt(0, "abc", 3));

    auto othersRead = [](const std::string &path) {
        const HANDLE h = ::CreateFileW(win32::systemPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        ::CloseHandle(h);
        return true;
    };
    EXPECT_TRUE(othersRead(dir / "piece.000")) << "a piece being joined";
    EXPECT_TRUE(othersRead(set.pathOf(writing.temporaryName()))) << "a file being written";
    EXPECT_FALSE(::MoveFileExW(win32::systemPath(dir / "set").c_str(),
                               win32::systemPath(dir / "moved").c_str(), 0))
        << "the directory of a run cannot be renamed";
    EXPECT_TRUE(writing.putInPlace(Flush::Durable));
    EXPECT_EQ(listDirectory(dir / "set"), std::set<std::string>{"rebuilt.bin"});
    const DWORD attributes =
        ::GetFileAttributesW(win32::systemPath(dir / "set\\rebuilt.bin").c_str());
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_HIDDEN) << "only the temporary is hidden";
}

// The sweep takes what nobody holds and leaves the live temporary of
// another run (another handle holding its lock).
TEST(WindowsSharing, TheSweepLeavesLiveTemporaries) {
    TempDir dir;
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    NewFile live;
    ASSERT_TRUE(live.create(d, "a.000"));
    const std::string dead = ".a.000.part-deadbeef";
    writeFile(dir / dead, "left by a killed run");
    writeFile(dir / ".a.000.part-short", "not a temporary name");
    EXPECT_EQ(removeLeftovers(d, "a.000"), 1);
    EXPECT_EQ(listDirectory(dir.path()),
              (std::set<std::string>{live.temporaryName(), ".a.000.part-short"}));
}

} // namespace
