// Files by path and the File a program reads or writes through, on Win32.
// Files are opened sharing reading, writing and deleting with the user's
// other programs, as a file opened on Linux is.
#include "platform/file.h"
#include "platform/translate.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/win32/win32.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace dorvik::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD attributesOf(const std::string &path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES
                        : ::GetFileAttributesW(win32::systemPath(path).c_str());
}

} // namespace

// ---- identity ------------------------------------------------------------------

std::optional<FileId> fileId(const std::string &path) {
    if (path.empty())
        return std::nullopt;
    const HANDLE h = ::CreateFileW(win32::systemPath(path).c_str(), 0, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FileId id;
    const bool known = win32::idOfHandle(h, id);
    ::CloseHandle(h);
    return known ? std::optional<FileId>(id) : std::nullopt;
}

bool sameFile(const std::string &a, const std::string &b) {
    const auto ia = fileId(a);
    const auto ib = fileId(b);
    return ia && ib && *ia == *ib;
}

bool exists(const std::string &path) {
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const std::string &path) {
    const DWORD a = attributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isRegularFile(const std::string &path) {
    const DWORD a = attributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES &&
           !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// ---- lengths, directories, delete ------------------------------------------------

std::optional<std::int64_t> fileLength(const std::string &path, Status *status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::systemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        if (status)
            *status = win32::lastError(path);
        return std::nullopt;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (status)
            *status = Status::fromErrno(path, EISDIR);
        return std::nullopt;
    }
    if (status)
        *status = Status();
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Judged by what is there afterwards, as on Linux.
Status makeDirectory(const std::string &path) {
    const DWORD err =
        ::CreateDirectoryW(win32::systemPath(path).c_str(), nullptr) ? 0 : ::GetLastError();
    if (isDirectory(path))
        return {};
    if (exists(path))
        return Status::fromErrno(path, ENOTDIR);
    return win32::failure(path, err != 0 ? err : ERROR_PATH_NOT_FOUND);
}

Status removeFile(const std::string &path) {
    if (!::DeleteFileW(win32::systemPath(path).c_str()))
        return win32::lastError(path);
    return {};
}

// Windows runs a program by its name's ending, not by a permission bit.
Status makeRunnable(const std::string &path) {
    if (!exists(path))
        return win32::lastError(path);
    return {};
}

// ---- byte access -----------------------------------------------------------------

namespace detail {

Descriptor::~Descriptor() {
    if (fd_ >= 0)
        ::CloseHandle(win32::handleOf(fd_));
}

Descriptor::Descriptor(Descriptor &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

Descriptor &Descriptor::operator=(Descriptor &&other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::CloseHandle(win32::handleOf(fd_));
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

} // namespace detail

Status File::open(const std::string &path) {
    if (fd_ >= 0)
        ::CloseHandle(win32::handleOf(fd_));
    fd_ = -1;
    path_ = path;
    const DWORD a = attributesOf(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        return Status::fromErrno(path, EISDIR);
    const HANDLE h = ::CreateFileW(win32::systemPath(path).c_str(), GENERIC_READ, kShareAll,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return win32::lastError(path);
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        return Status::failure(fill(DORVIK_TEXT("Files", "%1: Not a regular file"), {path}));
    }
    fd_ = win32::nativeOf(h);
    return {};
}

Status File::close() {
    if (fd_ < 0)
        return {};
    const HANDLE h = win32::handleOf(std::exchange(fd_, -1));
    if (!::CloseHandle(h))
        return win32::lastError(path_);
    return {};
}

std::optional<std::int64_t> File::length(Status *status) const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(win32::handleOf(fd_), &size)) {
        if (status)
            *status = win32::lastError(path_);
        return std::nullopt;
    }
    if (status)
        *status = Status();
    return size.QuadPart;
}

// The volume's serial number and the file's 64-bit index, as fileId() and
// Directory::idOf() give them for the same file.
std::optional<FileId> File::id() const {
    FileId id;
    if (fd_ < 0 || !win32::idOfHandle(win32::handleOf(fd_), id))
        return std::nullopt;
    return id;
}

namespace {

OVERLAPPED at(std::int64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

constexpr std::size_t kMostAtOnce = 1u << 30;

} // namespace

Status File::readAt(std::int64_t offset, void *buffer, std::size_t size) const {
    auto *p = static_cast<char *>(buffer);
    while (size > 0) {
        OVERLAPPED o = at(offset);
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(size, kMostAtOnce));
        if (!::ReadFile(win32::handleOf(fd_), p, want, &n, &o)) {
            const DWORD err = ::GetLastError();
            if (err != ERROR_HANDLE_EOF)
                return win32::failure(path_, err);
            n = 0;
        }
        if (n == 0)
            return Status::failure(
                fill(DORVIK_TEXT("Files", "%1: file ended before the expected length"), {path_}));
        p += n;
        size -= n;
        offset += n;
    }
    return {};
}

Status File::writeAt(std::int64_t offset, const void *buffer, std::size_t size) {
    const auto *p = static_cast<const char *>(buffer);
    while (size > 0) {
        OVERLAPPED o = at(offset);
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(size, kMostAtOnce));
        if (!::WriteFile(win32::handleOf(fd_), p, want, &n, &o))
            return win32::lastError(path_);
        if (n == 0)
            return win32::failure(path_, ERROR_DISK_FULL);
        p += n;
        size -= n;
        offset += n;
    }
    return {};
}

namespace internal {

unsigned permissionBits(const File &) {
    return 0666; // Windows files carry no permission bits to copy
}

Status flushDescriptor(NativeHandle fd, const std::string &path) {
    if (const int err = faults::check(faults::Call::Fsync, path))
        return Status::fromErrno(path, err);
    return flushData(fd, path);
}

// A handle that cannot be flushed (read only, a device) has nothing of ours
// to flush.
Status flushData(NativeHandle fd, const std::string &path) {
    if (!::FlushFileBuffers(win32::handleOf(fd))) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_INVALID_FUNCTION && err != ERROR_ACCESS_DENIED)
            return win32::failure(path, err);
    }
    return {};
}

// None here: a second handle would keep a temporary from being renamed or
// removed while its flush goes on, so Windows files are flushed only by
// their runs.
NativeHandle duplicateHandle(NativeHandle) {
    return -1;
}

} // namespace internal

} // namespace dorvik::platform
