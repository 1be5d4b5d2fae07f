// The mount table and what it tells the programs before they write: the
// free space and the largest file of the volume a file goes to, and which
// removable disk the split's disk loop copies onto. The one place that reads
// the mount table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::platform {

// ---- the mount table ---------------------------------------------------------------

// One mounted file system, as a line of /proc/self/mountinfo gives it.
struct MountEntry {
    std::string mountPoint; // "\ooo" escapes undone, e.g. "/media/ann/MY STICK"
    // The file system's type; a FUSE file system with its driver
    // ("fuse.fusefat"), a FUSE one on a block device as "fuseblk".
    std::string type;
    std::string source;            // "/dev/sdb1", "fusefat", "tmpfs", escapes undone
    unsigned major = 0, minor = 0; // the device number the files on it carry

    bool operator==(const MountEntry &) const = default;
};

// The entries of a mountinfo text, in its order; a line that is not of that
// form is left out.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The process's mount table (/proc/self/mountinfo); empty when it cannot be
// read, and on Windows, which keeps none.
std::vector<MountEntry> mountTable();

// ---- what a volume holds -------------------------------------------------------------

// The largest file FAT12, FAT16 and FAT32 hold: 4 GiB - 1 byte.
constexpr std::int64_t kFatLargestFile = (std::int64_t{1} << 32) - 1;

// The largest file a file system of `type` can hold: kFatLargestFile for FAT
// (vfat, msdos, umsdos, fat, and the FUSE driver fuse.fusefat; "FAT" and
// "FAT32" as Windows names them); nullopt, no limit worth checking, for every
// other type (exfat, ntfs, ext4, xfs, btrfs, tmpfs; Windows's "exFAT", "NTFS",
// ...) and for an unknown one.
std::optional<std::int64_t> largestFileFor(std::string_view type);

// True when a file system of `type` copies a file within itself by sharing
// its blocks (btrfs, XFS and the like clone): such a copy takes no room.
bool clonesCopies(std::string_view type);

// The file system a volume's first 512 bytes (its boot sector) tell:
// "vfat", "exfat", "ntfs", or "" when none of these.
std::string bootSectorFileSystem(std::string_view sector);

struct VolumeFacts {
    std::string mountPoint; // for messages; on Windows the volume's root ("E:\")
    // The mount table's type; a "fuseblk" volume by its device's file system
    // ("vfat", "exfat") where the device tells, else "fuseblk". On Windows
    // the file system's name as the volume reports it ("NTFS", "FAT32").
    std::string type;
    // The device number (on Windows the volume's serial number, as in
    // FileId): the same for two paths on one volume.
    std::uint64_t device = 0;
    // Bytes an unprivileged writer may still use (f_bavail * f_frsize; on
    // Windows what GetDiskFreeSpaceExW gives the caller); nullopt when the
    // file system tells no size (some FUSE drivers).
    std::optional<std::int64_t> freeBytes;
    std::optional<std::int64_t> largestFile; // largestFileFor(type)
};

// The facts of the volume that holds `path`, or, for a path that does not
// exist yet, its nearest existing ancestor. Nullopt when nothing on the way
// can be looked at.
std::optional<VolumeFacts> volumeFacts(const std::string &path);

// ---- room for the files a run writes -------------------------------------------------

// A file a run is about to write, with its length; a negative length is room
// the run frees on that volume before the writes that follow it.
struct PlannedWrite {
    std::string path;
    std::int64_t bytes = 0;
};

// A file larger than the file system it goes to can hold: writing it would
// certainly fail.
struct TooLarge {
    std::string path;
    std::int64_t bytes = 0;
    std::int64_t limit = 0;
    std::string mountPoint;
    std::string type;
};

// A volume with less free space than the run needs there: writing may fail
// (free space changes).
struct Shortfall {
    std::string mountPoint;
    std::int64_t needed = 0;
    std::int64_t available = 0;
};

struct RoomCheck {
    std::optional<TooLarge> tooLarge;  // the first such file of the plan
    std::vector<Shortfall> shortfalls; // one per volume, in the plan's order
};

// Checks `writes` against the facts of their volumes: each file against the
// largest file there, the sum of each volume's writes against its free
// space. Facts that cannot be had check nothing. Writes nothing.
RoomCheck checkRoom(const std::vector<PlannedWrite> &writes);

// "path: this file would have N bytes; the TYPE file system of MOUNT holds
// files of at most LIMIT bytes."
std::string tooLargeReason(const TooLarge &file);

// One pair of lines per volume: `sentence` with %1 the bytes needed, %2 the
// volume's mount point and %3 its free bytes, e.g. "Splitting needs %1 bytes
// on %2,\nbut only %3 bytes are free there."
std::string shortfallText(const std::string &sentence, const std::vector<Shortfall> &shortfalls);

// ---- the removable disk of the disk loop ------------------------------------------------

// What the kernel says of the device under a mount.
enum class DeviceKind {
    Unknown,   // no block device, or a virtual one (FUSE, loop)
    Removable, // removable medium, or on a hot-pluggable bus (USB, memory card)
    Fixed,     // a disk built into the machine
};

// The device kind of a mount from sysfs (/sys/dev/block/MAJOR:MINOR);
// Unknown on Windows.
DeviceKind deviceKind(const MountEntry &mount);

struct DiskSearch {
    std::string disk;                    // the disk's mount point; "" when none or several
    std::vector<std::string> candidates; // the mount points of several disks
};

// The removable disk mounted now, among `mounts` (later entries hide
// earlier ones on the same mount point; autofs and memory file systems are
// no disk): /media/floppy where that is a mount point, else the one volume
// mounted under /media/ or /run/media/ that `kindOf` does not call Fixed; of
// several, the Removable ones settle the doubt when there are any. None, or
// several left (every one, in table order): no disk. Never guesses.
DiskSearch findRemovableDisk(const std::vector<MountEntry> &mounts,
                             const std::function<DeviceKind(const MountEntry &)> &kindOf);

// The same over the process's mount table and sysfs. On Windows: the floppy
// drive (floppyDirectory()) when a disk is in it, else the one drive of the
// removable type with a medium in it, named by its root ("E:\"); several
// such drives are the candidates.
DiskSearch findRemovableDisk();

// ---- test seam -------------------------------------------------------------------------

// Lets a test say what volumeFacts and findRemovableDisk() answer. Nothing
// is set in the programs. Not thread-safe: set it before the run under test.
struct VolumeSeam {
    // Facts for a path; nullopt: the real facts of that path.
    std::function<std::optional<VolumeFacts>(const std::string &path)> facts;
    std::function<DiskSearch()> findDisk;
};

// Sets the seam for the life of the object, then clears it.
class ScopedVolumeSeam {
public:
    explicit ScopedVolumeSeam(VolumeSeam seam);
    ~ScopedVolumeSeam();
    ScopedVolumeSeam(const ScopedVolumeSeam &) = delete;
    ScopedVolumeSeam &operator=(const ScopedVolumeSeam &) = delete;
};

} // namespace dorvik::platform
