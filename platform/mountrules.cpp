// What the mount table and a volume's facts mean, the same on every system:
// the mount table's text, the largest file of a file system, the room a run
// needs, and which of the mounted volumes is the disk of the disk loop. The
// facts themselves come from the system's source (mounts.cpp, or
// win32/mounts.cpp), behind the test seam kept here.
#include "platform/mounts.h"
#include "platform/translate.h"

#include "platform/drives.h"
#include "platform/fsinternal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

namespace dorvik::platform {

namespace {

VolumeSeam &seam() {
    static VolumeSeam s;
    return s;
}

// Mount tables escape blanks, tabs, newlines and backslashes as \ooo.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() &&
            std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string bootSectorFileSystem(std::string_view sector) {
    const auto at = [&](std::size_t offset, std::string_view text) {
        return sector.size() >= offset + text.size() && sector.substr(offset, text.size()) == text;
    };
    if (at(3, "EXFAT   "))
        return "exfat";
    if (at(3, "NTFS    "))
        return "ntfs";
    if (at(510, "\x55\xAA") &&
        (at(54, "FAT12   ") || at(54, "FAT16   ") || at(54, "FAT     ") || at(82, "FAT32   ")))
        return "vfat";
    return {};
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE ...
        std::istringstream in(line);
        std::vector<std::string> f;
        for (std::string w; in >> w;)
            f.push_back(w);
        const auto dash = std::find(f.begin() + std::min<std::size_t>(6, f.size()), f.end(), "-");
        if (f.size() < 6 || f.end() - dash < 3)
            continue;
        MountEntry e;
        if (std::sscanf(f[2].c_str(), "%u:%u", &e.major, &e.minor) != 2)
            continue;
        e.mountPoint = unescape(f[4]);
        e.type = *(dash + 1);
        e.source = unescape(*(dash + 2));
        entries.push_back(std::move(e));
    }
    return entries;
}

bool clonesCopies(std::string_view type) {
    return type == "btrfs" || type == "xfs" || type == "bcachefs" || type == "ocfs2";
}

std::optional<std::int64_t> largestFileFor(std::string_view type) {
    // Linux's type names, and Windows's file system names ("FAT" for FAT12
    // and FAT16).
    static const std::set<std::string_view> fat = {"vfat",         "msdos", "umsdos", "fat",
                                                   "fuse.fusefat", "FAT",   "FAT32"};
    if (fat.count(type))
        return kFatLargestFile;
    return std::nullopt;
}

std::optional<VolumeFacts> volumeFacts(const std::string &path) {
    if (seam().facts)
        if (std::optional<VolumeFacts> facts = seam().facts(path))
            return facts;
    return internal::systemVolumeFacts(path);
}

RoomCheck checkRoom(const std::vector<PlannedWrite> &writes) {
    RoomCheck check;
    struct Volume {
        VolumeFacts facts;
        std::int64_t needed = 0;
    };
    std::vector<Volume> volumes;
    for (const PlannedWrite &w : writes) {
        const std::optional<VolumeFacts> facts = volumeFacts(w.path);
        if (!facts)
            continue;
        if (!check.tooLarge && facts->largestFile && w.bytes > *facts->largestFile)
            check.tooLarge =
                TooLarge{w.path, w.bytes, *facts->largestFile, facts->mountPoint, facts->type};
        auto v = std::find_if(volumes.begin(), volumes.end(),
                              [&](const Volume &o) { return o.facts.device == facts->device; });
        if (v == volumes.end())
            v = volumes.insert(volumes.end(), Volume{*facts, 0});
        v->needed += w.bytes;
    }
    for (const Volume &v : volumes)
        if (v.facts.freeBytes && v.needed > *v.facts.freeBytes)
            check.shortfalls.push_back(Shortfall{v.facts.mountPoint, v.needed, *v.facts.freeBytes});
    return check;
}

std::string tooLargeReason(const TooLarge &file) {
    return fill(DORVIK_TEXT("Files", "%1: this file would have %2 bytes; the %3 file system of %4 "
                                     "holds files of at most %5 bytes."),
                {file.path, std::to_string(file.bytes), file.type, file.mountPoint,
                 std::to_string(file.limit)});
}

std::string shortfallText(const std::string &sentence, const std::vector<Shortfall> &shortfalls) {
    std::string text;
    for (const Shortfall &s : shortfalls)
        text += (text.empty() ? "" : "\n") + fill(sentence, {std::to_string(s.needed), s.mountPoint,
                                                             std::to_string(s.available)});
    return text;
}

DiskSearch findRemovableDisk(const std::vector<MountEntry> &mounts,
                             const std::function<DeviceKind(const MountEntry &)> &kindOf) {
    static const std::set<std::string> noDisk = {"autofs", "tmpfs", "ramfs",
                                                 "proc",   "sysfs", "devtmpfs"};
    // The mount seen on each mount point: the last one there.
    std::vector<const MountEntry *> seen;
    for (const MountEntry &m : mounts) {
        std::erase_if(seen, [&](const MountEntry *o) { return o->mountPoint == m.mountPoint; });
        seen.push_back(&m);
    }
    std::erase_if(seen, [&](const MountEntry *m) { return noDisk.count(m->type) > 0; });
    const std::string floppy = floppyDirectory();
    for (const MountEntry *m : seen)
        if (m->mountPoint == floppy)
            return DiskSearch{floppy, {}};

    std::erase_if(seen, [](const MountEntry *m) {
        return !m->mountPoint.starts_with("/media/") && !m->mountPoint.starts_with("/run/media/");
    });
    // A disk built into the machine is no removable disk; of several left,
    // those on a removable or hot-pluggable device settle the doubt.
    std::vector<DeviceKind> kinds;
    for (const MountEntry *m : seen)
        kinds.push_back(kindOf(*m));
    const auto dropAll = [&](DeviceKind kind) {
        for (std::size_t i = seen.size(); i-- > 0;)
            if (kinds[i] == kind) {
                seen.erase(seen.begin() + static_cast<std::ptrdiff_t>(i));
                kinds.erase(kinds.begin() + static_cast<std::ptrdiff_t>(i));
            }
    };
    dropAll(DeviceKind::Fixed);
    if (seen.size() > 1 && std::count(kinds.begin(), kinds.end(), DeviceKind::Removable) > 0)
        dropAll(DeviceKind::Unknown);
    DiskSearch search;
    if (seen.size() == 1)
        search.disk = seen.front()->mountPoint;
    else
        for (const MountEntry *m : seen)
            search.candidates.push_back(m->mountPoint);
    return search;
}

DiskSearch findRemovableDisk() {
    if (seam().findDisk)
        return seam().findDisk();
    return internal::systemRemovableDisk();
}

ScopedVolumeSeam::ScopedVolumeSeam(VolumeSeam s) {
    seam() = std::move(s);
}

ScopedVolumeSeam::~ScopedVolumeSeam() {
    seam() = {};
}

} // namespace dorvik::platform
