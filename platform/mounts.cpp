// The volume facts and the mounted disks on POSIX: the mount table
// (/proc/self/mountinfo), statvfs, and the devices in sysfs.
#include "platform/mounts.h"

#include "platform/fs.h"
#include "platform/fsinternal.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace dorvik::platform {

namespace {

bool onMountPoint(const std::string &path, const std::string &mountPoint) {
    if (mountPoint == "/")
        return !path.empty() && path[0] == '/';
    return path.starts_with(mountPoint) &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string readText(const std::string &path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
    return text;
}

// The file system on the block device of a "fuseblk" mount: from its boot
// sector where the device (or image) can be read, else from the udev
// database. "" when neither tells.
std::string fileSystemOnDevice(const MountEntry &mount) {
    if (const int fd = ::open(mount.source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
        char sector[512];
        const ssize_t got = ::pread(fd, sector, sizeof sector, 0);
        ::close(fd);
        if (got == sizeof sector)
            if (std::string type = bootSectorFileSystem({sector, sizeof sector}); !type.empty())
                return type;
    }
    std::istringstream udev(readText("/run/udev/data/b" + std::to_string(mount.major) + ":" +
                                         std::to_string(mount.minor),
                                     65536));
    for (std::string line; std::getline(udev, line);)
        if (line.starts_with("E:ID_FS_TYPE="))
            return line.substr(13);
    return {};
}

// The nearest existing one of `path` and its ancestors, with its status.
std::optional<std::string> nearestExisting(std::string path, struct stat &st) {
    if (path.empty())
        path = currentDirectory();
    while (!path.empty()) {
        if (::stat(path.c_str(), &st) == 0)
            return path;
        const std::string parent = directoryOf(path);
        if (parent == path)
            break;
        path = parent;
    }
    return std::nullopt;
}

} // namespace

std::vector<MountEntry> mountTable() {
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return parseMountInfo(text.str());
}

std::optional<VolumeFacts> internal::systemVolumeFacts(const std::string &path) {
    struct stat st;
    const std::optional<std::string> existing = nearestExisting(path, st);
    if (!existing)
        return std::nullopt;
    VolumeFacts facts;
    facts.device = st.st_dev;
    if (struct statvfs vfs; ::statvfs(existing->c_str(), &vfs) == 0 && vfs.f_blocks > 0)
        facts.freeBytes = static_cast<std::int64_t>(vfs.f_bavail) *
                          static_cast<std::int64_t>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);

    // The mount of that device that holds the path; of several (bind
    // mounts), the one with the longest mount point on the path. A device
    // number no mount carries (btrfs subvolumes) falls back to the longest
    // mount point on the path.
    char resolved[PATH_MAX];
    const std::string real = ::realpath(existing->c_str(), resolved) ? resolved : *existing;
    const std::vector<MountEntry> mounts = mountTable();
    const MountEntry *best = nullptr;
    for (bool byDevice : {true, false}) {
        for (const MountEntry &m : mounts) {
            const bool device = m.major == major(st.st_dev) && m.minor == minor(st.st_dev);
            if ((byDevice && !device) || !onMountPoint(real, m.mountPoint))
                continue;
            if (!best || m.mountPoint.size() >= best->mountPoint.size())
                best = &m;
        }
        if (best)
            break;
    }
    if (best) {
        facts.mountPoint = best->mountPoint;
        facts.type = best->type;
        if (facts.type == "fuseblk")
            if (const std::string onDevice = fileSystemOnDevice(*best); !onDevice.empty())
                facts.type = onDevice;
    } else {
        facts.mountPoint = "/";
    }
    facts.largestFile = largestFileFor(facts.type);
    return facts;
}

DeviceKind deviceKind(const MountEntry &mount) {
    if (mount.major == 0)
        return DeviceKind::Unknown;
    char resolved[PATH_MAX];
    const std::string link =
        "/sys/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    if (!::realpath(link.c_str(), resolved))
        return DeviceKind::Unknown;
    const std::string device = resolved;
    if (device.find("/devices/virtual/") != std::string::npos)
        return DeviceKind::Unknown;
    // A partition: its disk carries the flag.
    for (const std::string &flag : {device + "/removable", device + "/../removable"})
        if (readText(flag, 1) == "1")
            return DeviceKind::Removable;
    for (const char *bus : {"/usb", "/mmc", "/memstick"})
        if (device.find(bus) != std::string::npos)
            return DeviceKind::Removable;
    return DeviceKind::Fixed;
}

DiskSearch internal::systemRemovableDisk() {
    return findRemovableDisk(mountTable(), deviceKind);
}

} // namespace dorvik::platform
