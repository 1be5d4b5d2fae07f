// The checks of the volumes before a split or join writes, and the disk the
// disk loop finds, on injected facts.
#include "engine_test_util.h"
#include "platform/mounts.h"

#include <gtest/gtest.h>

namespace {

using platform::VolumeFacts;

// Paths under `root` are on the volume `facts`, others on `rest` (nullopt:
// as they are).
platform::VolumeSeam volumes(const std::string &root, VolumeFacts facts,
                             std::optional<VolumeFacts> rest = {}) {
    return {[=](const std::string &path) { return path.starts_with(root) ? facts : rest; }, {}};
}

// The texts of the messages before the success message, `dir` as "@" (and
// on Windows every separator as "/").
std::vector<std::string> texts(const EventLog &log, const TempDir &dir) {
    std::vector<std::string> out;
    for (const platform::Message &m : log.messages)
        if (m.text.find("\n is successfully") == std::string::npos)
            out.push_back(m.text.starts_with(dir.path()) ? "@" + m.text.substr(dir.path().size())
                                                         : m.text);
#ifdef _WIN32
    for (std::string &text : out)
        std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return out;
}

// 100000 bytes, as pieces of 50005 and 50000 bytes plus the allowance for
// the set's small files: 116389 bytes. A refusal or Cancel writes nothing.
TEST(SplitRoom, RefusedOrAskedBeforeAnythingIsWritten) {
    const std::string refusal = "@/out/f.000: this file would have 50005 bytes; the vfat file "
                                "system of /out holds files of at most 50004 bytes.\nChoose more "
                                "pieces or another directory; nothing was written.";
    const std::string warning =
        "Splitting needs 116389 bytes on /out,\nbut only 116388 bytes are free there.";
    const struct {
        std::int64_t largest;
        Answer answer;
        Outcome outcome;
        std::string says;
    } table[] = {{50004, Answer::Ok, Outcome::Refused, refusal},
                 {50005, Answer::Cancel, Outcome::Cancelled, warning},
                 {50005, Answer::Ok, Outcome::Done, warning}};
    for (const auto &row : table) {
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        platform::ScopedVolumeSeam seam(
            volumes(dir / "out", {"/out", "vfat", 9, 116388, row.largest}));
        EventLog log;
        log.answers = {row.answer};
        EXPECT_EQ(split(splitRequest(dir / "f.bin", dir / "out", 2), log).outcome, row.outcome);
        EXPECT_EQ(texts(log, dir), std::vector{row.says});
        EXPECT_EQ(log.messages[0].icon, row.says == refusal ? Icon::Critical : Icon::Information);
        EXPECT_EQ(platform::exists(dir / "out"), row.outcome == Outcome::Done);
    }
}

// 100000 bytes joined into dir/back: the copy needs as much again, on the
// pieces' volume (device 1) too unless they are deleted first.
TEST(JoinRoom, TheCopyCountsOnItsVolumeUnlessThePiecesGoFirst) {
    const struct {
        std::uint64_t backDevice;
        std::int64_t free, backLargest;
        bool deletePieces;
        std::string says; // "": joined
        std::string backType = "vfat";
    } table[] = {
        {1, 199999, 1 << 20, false,
         "Joining needs 200000 bytes on /set,\nbut only 199999 bytes are free there."},
        {1, 100000, 1 << 20, true, ""},
        {1, 100000, 1 << 20, false, "", "btrfs"}, // a clone takes no room
        {2, 1 << 20, 99999, true,
         "@/back/f.bin: this file would have 100000 bytes; the vfat file system of /back holds "
         "files of at most 99999 bytes.\nNothing was joined; the pieces are untouched."},
    };
    for (const auto &row : table) {
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        EventLog log;
        ASSERT_EQ(split(splitRequest(dir / "f.bin", dir / "set", 2), log).outcome, Outcome::Done);
        platform::ScopedVolumeSeam seam(volumes(
            dir / "back", {"/back", row.backType, row.backDevice, row.free, row.backLargest},
            VolumeFacts{"/set", "ext4", 1, row.free, {}}));
        log.messages.clear();
        log.answers = {Answer::Cancel};
        JoinRequest request = joinRequest(dir / "set/f.000", dir / "back");
        request.deletePieces = row.deletePieces;
        join(request, log);
        EXPECT_EQ(texts(log, dir),
                  row.says.empty() ? std::vector<std::string>{} : std::vector{row.says});
        // f.bin (and the set, unless deleted), or only the set: pieces and checksums
        EXPECT_EQ(listDirectory(dir / "set").size(),
                  row.says.empty() ? (row.deletePieces ? 1u : 4u) : 3u);
    }
}

// Disk 1: none mounted, then one after Retry. Disk 2: several; Cancel.
// Disk 3: one without room for the piece; Cancel.
TEST(DiskLoop, TheDiskMountedAfterEachPromptOrAQuestion) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "stick"));
    const std::vector<platform::DiskSearch> mounted = {
        {}, {dir / "stick", {}}, {"", {"/media/a", "/run/media/b"}}, {dir / "small", {}}};
    platform::VolumeSeam seam = volumes(dir / "small", {"/small", "vfat", 9, 10, {}});
    seam.findDisk = [&, next = std::size_t{0}]() mutable { return mounted.at(next++); };
    platform::ScopedVolumeSeam scoped(std::move(seam));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
    request.copyToFloppy = true;
    EventLog log;
    log.answers = {Answer::Ok, Answer::Retry};
    EXPECT_EQ(split(request, log).outcome, Outcome::Done);
    EXPECT_EQ(texts(log, dir),
              (std::vector<std::string>{
                  "Insert disk #1",
                  "No removable disk is mounted.\nRetry after inserting the disk, or Cancel to "
                  "skip the piece f.000.",
                  "Insert disk #2",
                  "Several removable disks are mounted: /media/a, /run/media/b.\nRetry after "
                  "removing all but one, or Cancel to skip the piece f.001.",
                  "Insert disk #3",
                  "@/small/f.002: the piece has 33334 bytes, and only 10 bytes are free on "
                  "/small.\nThe piece f.002 was not copied to the disk. Retry after changing the "
                  "disk, or Cancel to skip this piece."}));
    EXPECT_EQ(log.messages[1].buttons, Buttons::RetryCancel);
    EXPECT_EQ(listDirectory(dir / "stick"), (std::set<std::string>{"f.000", "f.000.sha256"}));
    EXPECT_EQ(readFile(dir / "stick/f.000"), readFile(dir / "out/f.000"));
}

} // namespace
