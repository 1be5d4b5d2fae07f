// The volume facts and the removable disk on Win32: a volume is named by its
// root ("C:\", or the folder it is mounted on), its file system and serial
// number come from GetVolumeInformationByHandleW, its free space from
// GetDiskFreeSpaceExW. Windows has no mount table to read.
#include "platform/mounts.h"

#include "platform/drives.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"
#include "platform/win32/win32.h"

namespace dorvik::platform {

namespace {

// `root` without the "\\?\" prefix systemPath gives, as a user writes it.
std::string shownPath(std::wstring root) {
    if (root.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + win32::narrow(std::wstring_view(root).substr(8));
    if (root.rfind(L"\\\\?\\", 0) == 0)
        return win32::narrow(std::wstring_view(root).substr(4));
    return win32::narrow(root);
}

// The nearest existing one of `path` and its ancestors.
std::optional<std::string> nearestExisting(std::string path) {
    if (path.empty())
        path = currentDirectory();
    while (!path.empty()) {
        if (exists(path))
            return path;
        const std::string parent = directoryOf(path);
        if (parent == path)
            break;
        path = parent;
    }
    return std::nullopt;
}

// True when a file system can be read in the drive `root`: a drive without
// its medium (an empty floppy drive or card reader) tells none.
bool hasMedium(const std::wstring &root) {
    return ::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                   0) != 0;
}

} // namespace

// Windows keeps no mount table of this kind, and the devices behind its
// drives are judged by their drive type instead (systemRemovableDisk).
std::vector<MountEntry> mountTable() {
    return {};
}

DeviceKind deviceKind(const MountEntry &) {
    return DeviceKind::Unknown;
}

std::optional<VolumeFacts> internal::systemVolumeFacts(const std::string &path) {
    const std::optional<std::string> existing = nearestExisting(path);
    if (!existing)
        return std::nullopt;
    const std::wstring at = win32::systemPath(*existing);
    std::wstring root(at.size() + MAX_PATH + 1, L'\0');
    if (!::GetVolumePathNameW(at.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return std::nullopt;
    root.resize(wcslen(root.c_str()));

    VolumeFacts facts;
    facts.mountPoint = shownPath(root);
    ULARGE_INTEGER forCaller{}, total{};
    if (::GetDiskFreeSpaceExW(root.c_str(), &forCaller, &total, nullptr) && total.QuadPart > 0)
        facts.freeBytes = static_cast<std::int64_t>(forCaller.QuadPart);
    // Asked through the path itself, which gives the serial number its files
    // carry (and spares Wine reading the device of a drive's root).
    const HANDLE h =
        ::CreateFileW(at.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD serial = 0;
        wchar_t type[MAX_PATH + 1] = {};
        FileId id;
        if (::GetVolumeInformationByHandleW(h, nullptr, 0, &serial, nullptr, nullptr, type,
                                            static_cast<DWORD>(std::size(type)))) {
            facts.type = win32::narrow(type);
            facts.device = serial;
        } else if (win32::idOfHandle(h, id)) {
            facts.device = id.device; // the file system's name stays unknown
        }
        ::CloseHandle(h);
    }
    facts.largestFile = largestFileFor(facts.type);
    return facts;
}

// The floppy drive when it has a disk in it, else the one removable drive
// that has a medium. Optical drives are not written to, and none of the
// others (fixed, network) is a removable disk.
DiskSearch internal::systemRemovableDisk() {
    const std::string floppy = floppyDirectory();
    const DWORD drives = ::GetLogicalDrives();
    if ((drives & 1) && hasMedium(win32::wide(floppy)))
        return DiskSearch{floppy, {}};
    std::vector<std::string> found;
    for (int letter = 1; letter < 26; ++letter) {
        if (!(drives & (1u << letter)))
            continue;
        const std::wstring root = {static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        if (::GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE && hasMedium(root))
            found.push_back(win32::narrow(root));
    }
    DiskSearch search;
    if (found.size() == 1)
        search.disk = found.front();
    else
        search.candidates = found;
    return search;
}

} // namespace dorvik::platform
