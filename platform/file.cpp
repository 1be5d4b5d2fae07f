#include "platform/file.h"
#include "platform/translate.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dorvik::platform {

// ---- identity ------------------------------------------------------------------

std::optional<FileId> fileId(const std::string &path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool sameFile(const std::string &a, const std::string &b) {
    const auto ia = fileId(a);
    const auto ib = fileId(b);
    return ia && ib && *ia == *ib;
}

bool exists(const std::string &path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string &path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string &path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// ---- lengths, directories, delete ------------------------------------------------

std::optional<std::int64_t> fileLength(const std::string &path, Status *status) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (status)
            *status = Status::fromErrno(path, errno);
        return std::nullopt;
    }
    if (S_ISDIR(st.st_mode)) {
        if (status)
            *status = Status::fromErrno(path, EISDIR);
        return std::nullopt;
    }
    if (status)
        *status = Status();
    return static_cast<std::int64_t>(st.st_size);
}

// Judged by what is there afterwards: a directory is success whatever mkdir
// said; anything else in the way is "Not a directory".
Status makeDirectory(const std::string &path) {
    const int err = ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
    if (isDirectory(path))
        return {};
    if (exists(path))
        return Status::fromErrno(path, ENOTDIR);
    return Status::fromErrno(path, err != 0 ? err : ENOENT);
}

Status removeFile(const std::string &path) {
    if (::unlink(path.c_str()) != 0)
        return Status::fromErrno(path, errno);
    return {};
}

Status makeRunnable(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Status::fromErrno(path, errno);
    const mode_t mode = st.st_mode & 07777;
    if (::chmod(path.c_str(), mode | ((mode & 0444) >> 2)) != 0)
        return Status::fromErrno(path, errno);
    return {};
}

// ---- byte access -----------------------------------------------------------------

namespace detail {

Descriptor::~Descriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

Descriptor::Descriptor(Descriptor &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

Descriptor &Descriptor::operator=(Descriptor &&other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

} // namespace detail

Status File::open(const std::string &path) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_ = path;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Status::fromErrno(path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return Status::fromErrno(path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode))
            return Status::fromErrno(path, EISDIR);
        return Status::failure(fill(DORVIK_TEXT("Files", "%1: Not a regular file"), {path}));
    }
    // Only now, on a regular file, is it safe to block.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int err = errno;
        ::close(fd);
        return Status::fromErrno(path, err);
    }
    fd_ = fd;
    return {};
}

Status File::close() {
    if (fd_ < 0)
        return {};
    const int fd = fd_;
    fd_ = -1;
    // On Linux the descriptor is gone even when close reports EINTR.
    if (::close(fd) != 0 && errno != EINTR)
        return Status::fromErrno(path_, errno);
    return {};
}

std::optional<std::int64_t> File::length(Status *status) const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        if (status)
            *status = Status::fromErrno(path_, errno);
        return std::nullopt;
    }
    if (status)
        *status = Status();
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<FileId> File::id() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Status File::readAt(std::int64_t offset, void *buffer, std::size_t size) const {
    auto *p = static_cast<char *>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(path_, errno);
        }
        if (n == 0)
            return Status::failure(
                fill(DORVIK_TEXT("Files", "%1: file ended before the expected length"), {path_}));
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return {};
}

Status File::writeAt(std::int64_t offset, const void *buffer, std::size_t size) {
    const auto *p = static_cast<const char *>(buffer);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(path_, errno);
        }
        if (n == 0)
            return Status::fromErrno(path_, ENOSPC);
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return {};
}

namespace internal {

Status flushDescriptor(NativeHandle fd, const std::string &path) {
    if (const int err = faults::check(faults::Call::Fsync, path))
        return Status::fromErrno(path, err);
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno != EINVAL)
        return Status::fromErrno(path, errno);
    return {};
}

Status flushData(NativeHandle fd, const std::string &path) {
    int rc;
    do {
        rc = ::fdatasync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno != EINVAL && errno != EROFS)
        return Status::fromErrno(path, errno);
    return {};
}

NativeHandle duplicateHandle(NativeHandle fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

unsigned permissionBits(const File &in) {
    struct stat st {};
    if (::fstat(in.descriptor(), &st) != 0)
        return 0666; // as a new file would have; the umask still applies
    return st.st_mode & 0777;
}

bool sameInode(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace internal

} // namespace dorvik::platform
