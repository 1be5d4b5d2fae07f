#include "platform/fs.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dorvik::platform {

// ---- paths -----------------------------------------------------------------

bool isRoot(std::string_view dir) {
    return !dir.empty() && dir.back() == kSeparator;
}

std::string joinRootAware(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!isRoot(dir))
        path += kSeparator;
    path += name;
    return path;
}

std::string joinPlain(std::string_view dir, std::string_view name) {
    std::string path(dir);
    path += kSeparator;
    path += name;
    return path;
}

std::string shortenRootForTarget(std::string_view dir) {
    return std::string(dir);
}

std::string fileNameOf(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string directoryOf(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    if (pos == std::string_view::npos)
        return {};
    if (pos == 0)
        return std::string(1, kSeparator);
    return std::string(path.substr(0, pos));
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

// ---- file identity -----------------------------------------------------------

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

// ---- lengths, directories, delete --------------------------------------------

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

Status renameFile(const std::string &from, const std::string &to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return Status::fromErrno(to, errno);
    return {};
}

// The final name is cut (at a character boundary) so that the temporary name
// fits in a directory entry even when the final name nearly fills one. A name
// that cannot be looked up (a missing or unreadable directory, a file in the
// way) is returned as it is: the open that follows reports why.
std::string temporaryNameFor(const std::string &finalPath) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::string dir = directoryOf(finalPath);
    std::string name = fileNameOf(finalPath);
    static constexpr char prefix[] = ".";
    static constexpr char marker[] = ".part-";
    constexpr std::size_t randomLength = 8;
    constexpr std::size_t nameMax = NAME_MAX;
    constexpr std::size_t room = nameMax - (sizeof prefix - 1) - (sizeof marker - 1) - randomLength;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (;;) {
        std::string suffix;
        for (std::size_t i = 0; i < randomLength; ++i)
            suffix += digits[random() % 36];
        std::string candidate = prefix + name + marker + suffix;
        if (!dir.empty())
            candidate = joinRootAware(dir, candidate);
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0)
            return candidate;
    }
}

Status underFinalName(const Status &status, const std::string &temporary,
                      const std::string &finalPath) {
    const std::string &m = status.message();
    if (status || m.compare(0, temporary.size(), temporary) != 0)
        return status;
    return Status::failure(finalPath + m.substr(temporary.size()));
}

// ---- byte access ---------------------------------------------------------------

File::~File() {
    if (fd_ >= 0)
        ::close(fd_);
}

File::File(File &&other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

File &File::operator=(File &&other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

Status File::open(const std::string &path, Mode mode) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_ = path;
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::Create:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case Mode::Append:
        flags |= O_RDWR;
        break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Status::fromErrno(path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
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
            return Status::failure(path_ + ": file ended before the expected length");
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

Status copyFile(const std::string &from, const std::string &to, CopyMethod method,
                CopyObserver *observer) {
    if (sameFile(from, to))
        return Status::failure(to + ": is the same file as " + from);
    File in;
    if (Status s = in.open(from, File::Mode::Read); !s)
        return s;
    struct stat st {};
    if (::fstat(in.descriptor(), &st) != 0)
        return Status::fromErrno(from, errno);

    const std::string temp = temporaryNameFor(to);
    // Created with the source's permission bits (less the umask), as cp does,
    // so that a copied program stays executable.
    int fd;
    do {
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Status::fromErrno(to, errno);
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        ::unlink(temp.c_str());
        return Status::fromErrno(to, err);
    }

    File out;
    Status result = out.open(temp, File::Mode::Append);
    if (result)
        result = copyIntoNewFile(in, 0, out, 0, static_cast<std::int64_t>(st.st_size), 65536,
                                 method, observer);
    if (result)
        result = out.close();
    if (result)
        result = renameFile(temp, to);
    if (!result) {
        out.close();
        ::unlink(temp.c_str());
    }
    // Names the destination, not the hidden temporary, in what the user reads.
    return underFinalName(result, temp, to);
}

} // namespace dorvik::platform
