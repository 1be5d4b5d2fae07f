#include "platform/mounts.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace dorvik::platform;
using Kind = DeviceKind;

TEST(MountTable, LinesOfMountInfo) {
    const std::string text =
        "36 25 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "41 36 8:17 / /media/ann/MY\\040STICK rw shared:7 master:2 - vfat /dev/sdb1 rw\n"
        "42 36 0:39 / /run/media/ann/CARD rw - fuse.fusefat fusefat rw,user_id=0\n"
        "43 36 8:33 /sub /mnt/back\\134slash rw - fuseblk /dev/sdc1 rw\n"
        "not a mount line\n"
        "44 36 0:40 / /tmp rw shared:3 - tmpfs\n"; // no source: cut short
    EXPECT_EQ(parseMountInfo(text),
              (std::vector<MountEntry>{{"/", "ext4", "/dev/sda1", 8, 1},
                                       {"/media/ann/MY STICK", "vfat", "/dev/sdb1", 8, 17},
                                       {"/run/media/ann/CARD", "fuse.fusefat", "fusefat", 0, 39},
                                       {"/mnt/back\\slash", "fuseblk", "/dev/sdc1", 8, 33}}));
}

TEST(MountTable, FileSystemOfABootSector) {
    const auto sector = [](std::size_t at, const std::string &name, bool signature = true) {
        std::string s(512, '\0');
        s.replace(at, name.size(), name);
        if (signature)
            s.replace(510, 2, "\x55\xAA");
        return s;
    };
    EXPECT_EQ(bootSectorFileSystem(sector(82, "FAT32   ")), "vfat");
    EXPECT_EQ(bootSectorFileSystem(sector(54, "FAT16   ")), "vfat");
    EXPECT_EQ(bootSectorFileSystem(sector(54, "FAT12   ", false)), "") << "no boot signature";
    EXPECT_EQ(bootSectorFileSystem(sector(3, "EXFAT   ")), "exfat");
    EXPECT_EQ(bootSectorFileSystem(sector(3, "NTFS    ")), "ntfs");
    EXPECT_EQ(bootSectorFileSystem("FAT32"), "") << "too short";
}

TEST(RemovableDisk, FoundOnlyWhenThereIsExactlyOne) {
    const auto mount = [](const std::string &at, const std::string &type = "vfat",
                          unsigned minor = 17) {
        return MountEntry{at, type, "/dev/x", 8, minor};
    };
    const MountEntry root = mount("/", "ext4", 1), floppy = mount("/media/floppy"),
                     stick = mount("/media/ann/STICK", "vfat", 33),
                     card = mount("/run/media/ann/CARD", "exfat", 49),
                     data = mount("/media/data", "ext4", 2), fuse = mount("/media/ann/F", "fuse");
    const struct {
        const char *what;
        std::vector<MountEntry> mounts;
        DiskSearch expected;
    } table[] = {
        {"none", {root, mount("/mnt/usb"), mount("/media", "ext4")}, {}},
        {"one under /media", {root, stick}, {"/media/ann/STICK", {}}},
        {"one under /run/media", {root, card}, {"/run/media/ann/CARD", {}}},
        {"two", {root, stick, card}, {"", {"/media/ann/STICK", "/run/media/ann/CARD"}}},
        {"a mounted floppy wins", {root, stick, floppy}, {"/media/floppy", {}}},
        {"a built-in disk is none", {root, data}, {}},
        {"a built-in disk leaves one", {root, data, stick}, {"/media/ann/STICK", {}}},
        {"the removable one settles doubt", {root, fuse, stick}, {"/media/ann/STICK", {}}},
        {"unknown devices leave doubt",
         {root, fuse, mount("/media/ann/G", "fuse")},
         {"", {"/media/ann/F", "/media/ann/G"}}},
        {"an automount point is no disk", {root, mount("/media/ann/STICK", "autofs")}, {}},
        {"the mount on top counts",
         {mount("/media/floppy", "autofs"), floppy},
         {"/media/floppy", {}}},
        {"an unmounted floppy's stand-in is none",
         {root, mount("/media/floppy", "autofs"), stick},
         {"/media/ann/STICK", {}}},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.what);
        const DiskSearch found = findRemovableDisk(row.mounts, [](const MountEntry &m) {
            return m.type == "fuse"   ? Kind::Unknown
                   : m.type == "ext4" ? Kind::Fixed
                                      : Kind::Removable;
        });
        EXPECT_EQ(found.disk, row.expected.disk);
        EXPECT_EQ(found.candidates, row.expected.candidates);
    }
}

TEST(Room, LargestFileAndFreeSpaceOfEachVolume) {
    // Paths under /fat are on a FAT volume with 100 bytes free, under /big on
    // one without limits with 1000 free, under /any on one that tells nothing.
    ScopedVolumeSeam seam({[](const std::string &path) -> std::optional<VolumeFacts> {
                               if (path.starts_with("/fat"))
                                   return VolumeFacts{"/fat", "vfat", 1, 100, kFatLargestFile};
                               if (path.starts_with("/big"))
                                   return VolumeFacts{"/big", "ext4", 2, 1000, std::nullopt};
                               return VolumeFacts{"/any", "fuse.x", 3, std::nullopt, std::nullopt};
                           },
                           {}});
    const std::int64_t fat = kFatLargestFile;
    const struct {
        const char *what;
        std::vector<PlannedWrite> writes;
        std::optional<std::string> tooLarge; // its path
        std::vector<std::string> short_;     // "mount: needed/free"
    } table[] = {
        {"fits", {{"/fat/a", 60}, {"/big/b", 1000}}, {}, {}},
        {"summed per volume", {{"/fat/a", 60}, {"/fat/b", 41}}, {}, {"/fat: 101/100"}},
        {"a freed file counts", {{"/big/a", 900}, {"/big/b", 900}, {"/big/a", -900}}, {}, {}},
        {"4 GiB - 1 fits FAT", {{"/fat/a", fat}}, {}, {"/fat: 4294967295/100"}},
        {"one byte more does not",
         {{"/big/a", 1}, {"/fat/a", fat + 1}, {"/fat/b", fat + 2}},
         "/fat/a",
         {"/fat: 8589934593/100"}},
        {"no facts, no check", {{"/any/a", fat * 4}}, {}, {}},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.what);
        const RoomCheck room = checkRoom(row.writes);
        EXPECT_EQ(room.tooLarge ? std::optional(room.tooLarge->path) : std::nullopt, row.tooLarge);
        std::vector<std::string> short_;
        for (const Shortfall &s : room.shortfalls)
            short_.push_back(s.mountPoint + ": " + std::to_string(s.needed) + "/" +
                             std::to_string(s.available));
        EXPECT_EQ(short_, row.short_);
    }
}

TEST(Room, APathNotMadeYetIsOnItsNearestDirectorysVolume) {
    dorvik::testing::TempDir dir;
    struct stat st;
    ASSERT_EQ(::stat(dir.path().c_str(), &st), 0);
    const std::optional<VolumeFacts> facts = volumeFacts(dir / "not/made/yet");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->device, st.st_dev);
    EXPECT_TRUE(facts->freeBytes && *facts->freeBytes > 0);
    EXPECT_TRUE(dir.path().starts_with(facts->mountPoint)) << facts->mountPoint;
}

} // namespace
