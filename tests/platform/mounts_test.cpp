#include "platform/fs.h"
#include "platform/mounts.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace dorvik::platform;
using dorvik::testing::TempDir;

TEST(MountTable, LinesOfMountInfoAndBootSectors) {
    EXPECT_EQ(parseMountInfo("36 25 8:1 / / rw shared:1 master:2 - ext4 /dev/sda1 rw\n"
                             "41 36 0:39 / /media/a/MY\\040STICK rw - fuse.fusefat fusefat rw\n"
                             "not a mount line\n"
                             "44 36 0:40 / /tmp rw - tmpfs\n"), // cut short
              (std::vector<MountEntry>{{"/", "ext4", "/dev/sda1", 8, 1},
                                       {"/media/a/MY STICK", "fuse.fusefat", "fusefat", 0, 39}}));
    const auto sector = [](std::size_t at, const std::string &name, const char *end = "\x55\xAA") {
        return std::string(at, '\0') + name + std::string(510 - at - name.size(), '\0') + end;
    };
    EXPECT_EQ(bootSectorFileSystem(sector(82, "FAT32   ")), "vfat");
    EXPECT_EQ(bootSectorFileSystem(sector(54, "FAT16   ", "")), "");
    EXPECT_EQ(bootSectorFileSystem(sector(3, "EXFAT   ")), "exfat");
}

// A directory not made yet is on the volume of its nearest ancestor; the
// volume's number is the one the files on it carry.
TEST(VolumeFacts, OfADirectoryAndOfOneNotMadeYet) {
    TempDir dir;
    const std::optional<VolumeFacts> here = volumeFacts(dir.path());
    const std::optional<VolumeFacts> later = volumeFacts(dir / "not/yet");
    ASSERT_TRUE(here && later);
    EXPECT_EQ(here->device, fileId(dir.path()).value_or(FileId{}).device);
    EXPECT_EQ(later->device, here->device);
    EXPECT_EQ(later->mountPoint, here->mountPoint);
    EXPECT_FALSE(here->mountPoint.empty());
    EXPECT_GT(here->freeBytes.value_or(1), 0);
    EXPECT_EQ(here->largestFile, largestFileFor(here->type));
}

#ifndef _WIN32
// The mount table's disks (Windows finds its disk by drive letter).
TEST(RemovableDisk, FoundOnlyWhenThereIsExactlyOne) {
    const auto at = [](const std::string &mountPoint, const std::string &type = "vfat") {
        return MountEntry{mountPoint, type, "/dev/x", 8, 17};
    };
    const MountEntry root = at("/", "ext4"), stick = at("/media/a/STICK"),
                     card = at("/run/media/a/CARD"), data = at("/media/data", "ext4"),
                     fuse = at("/media/a/F", "fuse");
    const struct {
        std::vector<MountEntry> mounts;
        DiskSearch expected;
    } table[] = {
        {{root, at("/mnt/usb"), at("/media", "ext4")}, {}},
        {{root, stick}, {"/media/a/STICK", {}}},
        {{root, card}, {"/run/media/a/CARD", {}}},
        {{root, stick, card}, {"", {"/media/a/STICK", "/run/media/a/CARD"}}},
        {{root, stick, at("/media/floppy")}, {"/media/floppy", {}}},
        {{root, data}, {}},                            // built into the machine
        {{root, fuse, stick}, {"/media/a/STICK", {}}}, // the removable one settles it
        {{root, at("/media/a/STICK", "autofs")}, {}},  // an automount point only
        {{at("/media/floppy", "autofs"), at("/media/floppy")}, {"/media/floppy", {}}},
    };
    for (const auto &row : table) {
        const DiskSearch found = findRemovableDisk(row.mounts, [](const MountEntry &m) {
            return m.type == "fuse"   ? DeviceKind::Unknown
                   : m.type == "ext4" ? DeviceKind::Fixed
                                      : DeviceKind::Removable;
        });
        EXPECT_EQ(found.disk, row.expected.disk) << row.mounts.back().mountPoint;
        EXPECT_EQ(found.candidates, row.expected.candidates) << row.mounts.back().mountPoint;
    }
}
#endif

} // namespace
