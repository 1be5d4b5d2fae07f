#include "platform/drives.h"

#include "platform/fs.h"
#include "platform/mounts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::platform {

namespace {

// File systems that hold files a user keeps; kernel and pseudo file systems
// (proc, sysfs, cgroup, tmpfs, ...) are not drives.
bool isRealFileSystem(const std::string &type) {
    static const std::set<std::string> real = {
        "ext2",     "ext3",  "ext4",    "xfs",     "btrfs", "vfat",    "msdos", "exfat",
        "ntfs",     "ntfs3", "fuseblk", "iso9660", "udf",   "hfsplus", "f2fs",  "jfs",
        "reiserfs", "zfs",   "nfs",     "nfs4",    "cifs",  "smb3",    "9p"};
    return real.count(type) > 0;
}

bool readsOne(const std::string &path) {
    std::ifstream in(path);
    char c = 0;
    return in && (in >> c) && c == '1';
}

// Removable per the kernel (USB sticks, card readers, floppies), or mounted
// where desktops mount media.
bool isRemovable(const std::string &device, const std::string &mountPoint) {
    for (const char *prefix : {"/media/", "/run/media/", "/mnt/"})
        if (mountPoint.rfind(prefix, 0) == 0)
            return true;
    if (device.rfind("/dev/", 0) != 0)
        return false;
    char resolved[PATH_MAX];
    if (!::realpath(device.c_str(), resolved))
        return false;
    const std::string name = fileNameOf(resolved);
    const std::string sys = "/sys/class/block/" + name;
    if (readsOne(sys + "/removable"))
        return true;
    // A partition: its disk carries the flag.
    char disk[PATH_MAX];
    if (::realpath((sys + "/..").c_str(), disk) && readsOne(std::string(disk) + "/removable"))
        return true;
    return false;
}

bool onMountPoint(const std::string &path, const std::string &mountPoint) {
    if (mountPoint == "/")
        return !path.empty() && path[0] == '/';
    return path == mountPoint ||
           (path.size() > mountPoint.size() &&
            path.compare(0, mountPoint.size(), mountPoint) == 0 && path[mountPoint.size()] == '/');
}

// The path with symbolic links resolved; for a path that does not exist, its
// nearest existing ancestor.
std::string canonical(std::string path) {
    while (!path.empty()) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
        const std::string parent = directoryOf(path);
        if (parent == path || parent.empty())
            break;
        path = parent;
    }
    return "/";
}

} // namespace

std::vector<Volume> volumes() {
    // Later mounts hide earlier ones on the same mount point.
    std::vector<Volume> found;
    for (const MountEntry &m : mountTable()) {
        const bool root = m.mountPoint == "/";
        if (!root && !isRealFileSystem(m.type))
            continue;
        if (!isDirectory(m.mountPoint))
            continue; // a single file bound into place is no drive
        Volume v{m.mountPoint, m.source, m.type, !root && isRemovable(m.source, m.mountPoint)};
        auto same = std::find_if(found.begin(), found.end(),
                                 [&](const Volume &o) { return o.mountPoint == v.mountPoint; });
        if (same != found.end())
            *same = v;
        else
            found.push_back(v);
    }
    if (std::none_of(found.begin(), found.end(),
                     [](const Volume &v) { return v.mountPoint == "/"; }))
        found.push_back(Volume{"/", "", "", false});
    std::stable_sort(found.begin(), found.end(), [](const Volume &a, const Volume &b) {
        auto rank = [](const Volume &v) { return v.mountPoint == "/" ? 0 : v.removable ? 1 : 2; };
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        return a.mountPoint < b.mountPoint;
    });
    return found;
}

std::string volumeOf(const std::string &path) {
    const std::string real = canonical(path.empty() ? currentDirectory() : path);
    std::string best = "/";
    for (const Volume &v : volumes())
        if (onMountPoint(real, v.mountPoint) && v.mountPoint.size() > best.size())
            best = v.mountPoint;
    return best;
}

std::string driveCurrentDirectory(const std::string &mountPoint) {
    const std::string cwd = currentDirectory();
    if (!cwd.empty() && volumeOf(cwd) == mountPoint)
        return cwd;
    return mountPoint;
}

Status checkDriveReadable(const std::string &mountPoint) {
    DIR *dir = ::opendir(mountPoint.c_str());
    if (!dir)
        return Status::fromErrno(mountPoint, errno);
    errno = 0;
    ::readdir(dir);
    const int err = errno;
    ::closedir(dir);
    if (err != 0)
        return Status::fromErrno(mountPoint, err);
    return {};
}

std::string floppyDirectory() {
    return "/media/floppy";
}

std::string homeDirectory() {
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::string systemDirectory() {
    const std::string home = homeDirectory();
    if (home.empty())
        return {};
    const std::string local = joinRootAware(home, ".local");
    const std::string lib = joinPlain(local, "lib");
    // Either may exist already; whether the library directory is there
    // afterwards is all that counts, and that is looked at next.
    (void)makeDirectory(local);
    (void)makeDirectory(lib);
    return isDirectory(lib) ? lib : std::string();
}

} // namespace dorvik::platform
