// An open directory on Win32. Windows has no calls relative to a directory
// handle: the run holds the directory open for as long as it works in it,
// without sharing the right to delete, so that the directory can be neither
// renamed nor removed meanwhile, and addresses its files by the path it was
// opened by.
#include "platform/directory.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"
#include "platform/win32/win32.h"

#include <cerrno>

namespace dorvik::platform {

Status Directory::open(const std::string &path, const std::string &known) {
    if (fd_ >= 0)
        ::CloseHandle(win32::handleOf(fd_));
    fd_ = -1;
    path_ = path;
    const std::string &named = known.empty() ? path : known;
    const HANDLE h = ::CreateFileW(win32::systemPath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // A file in the way of a directory on the path.
        if (err == ERROR_PATH_NOT_FOUND || err == ERROR_DIRECTORY) {
            for (std::string up = path; !up.empty(); up = directoryOf(up)) {
                if (isRegularFile(up))
                    return Status::fromErrno(named, ENOTDIR);
                if (directoryOf(up) == up)
                    break;
            }
        }
        return win32::failure(named, err);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(h);
        return Status::fromErrno(named, ENOTDIR);
    }
    fd_ = win32::nativeOf(h);
    return {};
}

std::string Directory::pathOf(std::string_view name) const {
    return path_.empty() ? std::string(name) : joinRootAware(path_, name);
}

std::optional<FileId> Directory::idOf(const std::string &name) const {
    const HANDLE h = ::CreateFileW(
        win32::systemPath(pathOf(name)).c_str(), 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FileId id;
    const bool known = win32::idOfHandle(h, id);
    ::CloseHandle(h);
    return known ? std::optional<FileId>(id) : std::nullopt;
}

std::vector<std::string> Directory::names() const {
    std::vector<std::string> names;
    const std::wstring pattern = win32::systemPath(pathOf("*"));
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring_view n = entry.cFileName;
        if (n != L"." && n != L"..")
            names.push_back(win32::narrow(n));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

// Replaces `to`, and is on the device when it returns (write-through), so
// that a flush of the directory has nothing left to do. Windows refuses to
// replace a file that anyone holds open, if only for a moment (a virus
// scanner, an indexer, another run's sweep opening the hidden second name of
// an older file): a refusal is tried again for up to a second.
Status Directory::rename(const std::string &from, const std::string &to,
                         const std::string &known) const {
    const std::string named = pathOf(known.empty() ? to : known);
    if (const int err = faults::check(faults::Call::Rename, pathOf(to)))
        return Status::fromErrno(named, err);
    const std::wstring source = win32::systemPath(pathOf(from));
    const std::wstring target = win32::systemPath(pathOf(to));
    for (int tries = 1;; ++tries) {
        if (::MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD err = ::GetLastError();
        if ((err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) || tries == 50)
            return win32::failure(named, err);
        ::Sleep(20);
    }
}

Status Directory::link(const std::string &from, const std::string &to,
                       const std::string &known) const {
    const std::string named = pathOf(known.empty() ? to : known);
    if (const int err = faults::check(faults::Call::Link, pathOf(to)))
        return Status::fromErrno(named, err);
    if (!::CreateHardLinkW(win32::systemPath(pathOf(to)).c_str(),
                           win32::systemPath(pathOf(from)).c_str(), nullptr))
        return win32::lastError(named);
    return {};
}

Status Directory::remove(const std::string &name) const {
    if (const int err = faults::check(faults::Call::Unlink, pathOf(name)))
        return Status::fromErrno(pathOf(name), err);
    if (!::DeleteFileW(win32::systemPath(pathOf(name)).c_str()))
        return win32::lastError(pathOf(name));
    return {};
}

// Every rename here was written through; the entries are on the device.
Status Directory::flush() const {
    const std::string path = path_.empty() ? "." : path_;
    if (const int err = faults::check(faults::Call::Fsync, path))
        return Status::fromErrno(path, err);
    return {};
}

} // namespace dorvik::platform
