// Volumes ("drives") of the machine. On POSIX a drive is a mounted volume of
// a real file system, named by its mount point: "/" first, then removable
// media. On Windows a drive is a drive letter, named by its root ("C:\\"):
// the system's drive first.
#pragma once

#include "platform/status.h"

#include <string>
#include <vector>

namespace dorvik::platform {

struct Volume {
    std::string mountPoint; // the drive's name, e.g. "/" or "/media/usb0"
    std::string device;     // e.g. "/dev/sdb1"
    std::string fsType;     // e.g. "ext4", "vfat"
    bool removable = false;
};

// Mounted volumes of real file systems: "/" first, then removable media, then
// other real volumes, each once.
std::vector<Volume> volumes();

// Mount point of the volume that holds `path` (the longest mount point that
// is a prefix of its canonical form); "/" when nothing better is known.
std::string volumeOf(const std::string &path);

// The drive's current directory: the process's working directory when that
// lies on the volume, else the volume's mount point.
std::string driveCurrentDirectory(const std::string &mountPoint);

// Whether the drive can be read now (the mount point opens as a directory).
Status checkDriveReadable(const std::string &mountPoint);

// Where the floppy disk of the split's disk loop is mounted.
std::string floppyDirectory();

// Per-user library directory, the installer's system directory
// (~/.local/lib, made when missing). "" when the home directory is unknown.
std::string systemDirectory();

// The user's home directory ($HOME, else the password database).
std::string homeDirectory();

} // namespace dorvik::platform
