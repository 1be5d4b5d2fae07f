// Drives on Win32: the drive letters, named by their roots ("C:\").
#include "platform/drives.h"

#include "platform/fs.h"
#include "platform/win32/win32.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace dorvik::platform {

namespace {

std::string upperDrive(std::string root) {
    if (root.size() >= 2 && root[1] == ':' && root[0] >= 'a' && root[0] <= 'z')
        root[0] = static_cast<char>(root[0] - 'a' + 'A');
    return root;
}

} // namespace

std::vector<Volume> volumes() {
    std::vector<Volume> found;
    wchar_t roots[512];
    const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots)), roots);
    for (const wchar_t *r = roots; n > 0 && n < std::size(roots) && *r; r += wcslen(r) + 1) {
        const UINT type = ::GetDriveTypeW(r);
        if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
            continue;
        Volume v;
        v.mountPoint = win32::narrow(r);
        v.device = v.mountPoint.substr(0, 2);
        v.removable = type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
        wchar_t fs[MAX_PATH + 1] = {};
        // An empty card reader has no file system to tell: the type stays "".
        if (::GetVolumeInformationW(r, nullptr, 0, nullptr, nullptr, nullptr, fs,
                                    static_cast<DWORD>(std::size(fs))))
            v.fsType = win32::narrow(fs);
        found.push_back(std::move(v));
    }
    // The system's drive first, then removable media, then the others.
    const std::string system = upperDrive(volumeOf(systemDirectory()));
    std::stable_sort(found.begin(), found.end(), [&](const Volume &a, const Volume &b) {
        auto rank = [&](const Volume &v) {
            return upperDrive(v.mountPoint) == system ? 0 : v.removable ? 1 : 2;
        };
        return rank(a) < rank(b);
    });
    return found;
}

std::string volumeOf(const std::string &path) {
    const std::string from = path.empty() ? currentDirectory() : path;
    wchar_t root[MAX_PATH + 1] = {};
    if (::GetVolumePathNameW(win32::wide(from).c_str(), root, static_cast<DWORD>(std::size(root))))
        return win32::narrow(root);
    // A path on no drive that can be asked: its drive letter, if it has one.
    if (from.size() >= 2 && from[1] == ':')
        return from.substr(0, 2) + "\\";
    return "C:\\";
}

std::string driveCurrentDirectory(const std::string &mountPoint) {
    const std::string cwd = currentDirectory();
    if (!cwd.empty() && upperDrive(volumeOf(cwd)) == upperDrive(mountPoint))
        return cwd;
    return mountPoint;
}

Status checkDriveReadable(const std::string &mountPoint) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = win32::systemPath(joinRootAware(mountPoint, "*"));
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_NOT_FOUND) // an empty root is readable
            return win32::failure(mountPoint, err);
        return {};
    }
    ::FindClose(find);
    return {};
}

std::string floppyDirectory() {
    return "a:\\";
}

std::string homeDirectory() {
    if (const wchar_t *home = ::_wgetenv(L"USERPROFILE"); home && *home)
        return win32::narrow(home);
    return {};
}

std::string systemDirectory() {
    wchar_t dir[MAX_PATH + 1] = {};
    const UINT n = ::GetSystemDirectoryW(dir, static_cast<UINT>(std::size(dir)));
    return n > 0 && n < std::size(dir) ? win32::narrow(dir) : std::string();
}

} // namespace dorvik::platform
