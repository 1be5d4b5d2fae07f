// The checks of the volumes before a split or join writes, and the disk the
// disk loop finds, on facts the tests inject.
#include "engine_test_util.h"
#include "platform/mounts.h"

#include <gtest/gtest.h>

namespace {

using platform::DiskSearch;
using platform::VolumeFacts;

// The first message of a run unless that is its success message; paths in
// `expected` that start with "/" are in `dir`.
void expectFirstMessage(const EventLog &log, const TempDir &dir, const std::string &expected) {
    const bool none = log.messages.empty() ||
                      log.messages[0].text.find("\n is successfully") != std::string::npos;
    const bool refusal = expected.starts_with("/");
    EXPECT_EQ(none ? std::string() : log.messages[0].text,
              refusal ? dir.path() + expected : expected);
    if (!none) {
        EXPECT_EQ(log.messages[0].icon, refusal ? Icon::Critical : Icon::Information);
    }
}

// Paths under `root` are on the volume `facts`; others as they are.
platform::VolumeSeam volumeAt(const std::string &root, VolumeFacts facts) {
    return {[=](const std::string &path) -> std::optional<VolumeFacts> {
                if (path.starts_with(root))
                    return facts;
                return std::nullopt;
            },
            {}};
}

// 100000 bytes in two pieces: f.000 has 50005 bytes, f.001 50000; with the
// allowance for the set's small files the split needs 116389 bytes.
TEST(SplitRoom, RefusedOrAskedBeforeAnythingIsWritten) {
    const struct {
        std::int64_t largest, free;
        Answer answer;
        Outcome outcome;
        std::string says; // the first message; "" for none
    } table[] = {
        {50004, 1 << 20, Answer::Ok, Outcome::Refused,
         "/out/f.000: this file would have 50005 bytes; the vfat file system of /stick holds "
         "files of at most 50004 bytes.\nChoose more pieces or another directory; nothing was "
         "written."},
        {50005, 116388, Answer::Cancel, Outcome::Cancelled,
         "Splitting needs 116389 bytes on /stick,\nbut only 116388 bytes are free there."},
        {50005, 116388, Answer::Ok, Outcome::Done,
         "Splitting needs 116389 bytes on /stick,\nbut only 116388 bytes are free there."},
        {50005, 116389, Answer::Ok, Outcome::Done, ""},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.says);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        platform::ScopedVolumeSeam seam(
            volumeAt(dir / "out", {"/stick", "vfat", 9, row.free, row.largest}));
        EventLog log;
        log.answers = {row.answer};
        EXPECT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "out", 2), log).outcome,
                  row.outcome);
        expectFirstMessage(log, dir, row.says);
        EXPECT_EQ(platform::exists(dir / "out"), row.outcome == Outcome::Done);
    }
}

// A set of 100000 bytes in dir/set, joined into dir/back: the rebuilt file
// needs 100000 bytes beside the pieces, its copy as much again.
TEST(JoinRoom, TheCopyCountsOnItsVolumeUnlessThePiecesGoFirst) {
    const struct {
        const char *what;
        std::uint64_t backDevice; // the pieces' volume is 1
        std::int64_t free, backLargest;
        bool deletePieces;
        Outcome outcome;
        std::string says;
    } table[] = {
        {"copy on the same volume", 1, 199999, 1 << 20, false, Outcome::Cancelled,
         "Joining needs 200000 bytes on /set,\nbut only 199999 bytes are free there."},
        {"pieces deleted first", 1, 100000, 1 << 20, true, Outcome::Done, ""},
        {"copy on another volume", 2, 99999, 1 << 20, true, Outcome::Cancelled,
         "Joining needs 100000 bytes on /set,\nbut only 99999 bytes are free there.\nJoining "
         "needs 100000 bytes on /back,\nbut only 99999 bytes are free there."},
        {"target cannot hold it", 2, 1 << 20, 99999, false, Outcome::Refused,
         "/back/f.bin: this file would have 100000 bytes; the vfat file system of /back holds "
         "files of at most 99999 bytes.\nNothing was joined; the pieces are untouched."},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        EventLog quiet;
        ASSERT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "set", 2), quiet).outcome,
                  Outcome::Done);
        const VolumeFacts set{"/set", "ext4", 1, row.free, std::nullopt};
        const VolumeFacts back{"/back", "vfat", row.backDevice, row.free, row.backLargest};
        platform::ScopedVolumeSeam seam(
            {[&](const std::string &path) { return path.starts_with(dir / "back") ? back : set; },
             {}});
        EventLog log;
        log.answers = {Answer::Cancel};
        JoinRequest request = joinRequest(dir / "set/f.000", dir / "back");
        request.deletePieces = row.deletePieces;
        EXPECT_EQ(engine::join(request, log).outcome, row.outcome);
        expectFirstMessage(log, dir, row.says);
        EXPECT_EQ(listDirectory(dir / "set"),
                  (row.outcome == Outcome::Done ? std::set<std::string>{"f.bin"}
                                                : std::set<std::string>{"f.000", "f.001"}));
        EXPECT_EQ(platform::exists(dir / "back"), row.outcome == Outcome::Done);
    }
}

// Disk 1: none mounted, then after Retry one. Disk 2: several, Cancel.
// Disk 3: one without room for the piece, Cancel.
TEST(DiskLoop, TheDiskMountedAfterEachPromptOrAQuestion) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "stick"));
    std::vector<DiskSearch> mounted = {
        {}, {dir / "stick", {}}, {"", {"/media/a", "/run/media/b"}}, {dir / "small", {}}};
    platform::VolumeSeam seam = volumeAt(dir / "small", {"/small", "vfat", 9, 10, std::nullopt});
    seam.findDisk = [&] {
        const DiskSearch next = mounted.front();
        mounted.erase(mounted.begin());
        return next;
    };
    platform::ScopedVolumeSeam scoped(std::move(seam));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
    request.copyToFloppy = true;
    EventLog log;
    log.answers = {Answer::Ok, Answer::Retry};
    EXPECT_EQ(engine::split(request, log).outcome, Outcome::Done);
    const auto question = [](const std::string &text) {
        return message(text, "Dorvik", Icon::Information, Buttons::RetryCancel);
    };
    EXPECT_EQ(
        log.messages,
        (std::vector{
            message("Insert disk #1", "Dorvik"),
            question("No removable disk is mounted.\nRetry after inserting the disk, or Cancel to "
                     "skip the piece f.000."),
            message("Insert disk #2", "Dorvik"),
            question("Several removable disks are mounted: /media/a, /run/media/b.\nRetry after "
                     "removing all but one, or Cancel to skip the piece f.001."),
            message("Insert disk #3", "Dorvik"),
            message(dir / "small/f.002" +
                        ": the piece has 33334 bytes, and only 10 bytes are free on /small.\nThe "
                        "piece f.002 was not copied to the disk. Retry after changing the disk, or "
                        "Cancel to skip this piece.",
                    "Dorvik", Icon::Critical, Buttons::RetryCancel),
            message(dir / "f.bin" + "\n is successfully splitted!", "Dorvik ")}));
    EXPECT_EQ(listDirectory(dir / "stick"), std::set<std::string>{"f.000"});
    EXPECT_EQ(readFile(dir / "stick/f.000"), readFile(dir / "out/f.000"));
}

} // namespace
