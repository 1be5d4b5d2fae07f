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

namespace {

// Errors with which the kernel declines a copy it cannot do here; the block
// buffer then does the work.
bool kernelDeclines(int err) {
    return err == EXDEV || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL || err == EBADF ||
           err == ETXTBSY || err == EPERM;
}

// Errors that belong to the file being written rather than the one read.
bool writeSideError(int err) {
    return err == ENOSPC || err == EFBIG || err == EDQUOT || err == EROFS;
}

Status copyBuffered(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                    std::int64_t length, std::size_t blockSize) {
    if (blockSize == 0)
        blockSize = 65536;
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(blockSize), std::max<std::int64_t>(length, 1))));
    while (length > 0) {
        const auto chunk = static_cast<std::size_t>(
            std::min<std::int64_t>(length, static_cast<std::int64_t>(buffer.size())));
        if (Status s = in.readAt(inOffset, buffer.data(), chunk); !s)
            return s;
        if (Status s = out.writeAt(outOffset, buffer.data(), chunk); !s)
            return s;
        inOffset += static_cast<std::int64_t>(chunk);
        outOffset += static_cast<std::int64_t>(chunk);
        length -= static_cast<std::int64_t>(chunk);
    }
    return {};
}

// Makes `out` at least `end` bytes long (the range may end in a hole).
Status extendTo(File &out, std::int64_t end) {
    Status s;
    const std::optional<std::int64_t> length = out.length(&s);
    if (!length)
        return s;
    if (*length >= end)
        return {};
    int rc;
    do {
        rc = ::ftruncate(out.descriptor(), static_cast<off_t>(end));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return Status::fromErrno(out.path(), errno);
    return {};
}

} // namespace

Status copyRange(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                 std::int64_t length, std::size_t blockSize, CopyMethod method) {
    if (length < 0)
        return Status::failure(in.path() + ": negative length to copy");
    if (method == CopyMethod::Auto) {
        loff_t inPos = inOffset;
        loff_t outPos = outOffset;
        while (length > 0) {
            const ssize_t n = ::copy_file_range(in.descriptor(), &inPos, out.descriptor(), &outPos,
                                                static_cast<std::size_t>(length), 0);
            if (n < 0) {
                const int err = errno;
                if (err == EINTR)
                    continue;
                if (kernelDeclines(err))
                    break;
                return Status::fromErrno(writeSideError(err) ? out.path() : in.path(), err);
            }
            if (n == 0)
                break; // end of the source, or a kernel that stops short: let the buffer tell
            length -= n;
        }
        inOffset = inPos;
        outOffset = outPos;
        if (length == 0)
            return {};
    }
    return copyBuffered(in, inOffset, out, outOffset, length, blockSize);
}

// Data regions are found with SEEK_DATA and SEEK_HOLE; where the file system
// cannot tell them, the whole rest of the range is copied as it is.
Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, std::size_t blockSize, CopyMethod method) {
    if (method != CopyMethod::Auto || length <= 0)
        return copyRange(in, inOffset, out, outOffset, length, blockSize, method);

    const std::int64_t end = inOffset + length;
    Status s;
    const std::optional<std::int64_t> inLength = in.length(&s);
    if (!inLength)
        return s;
    if (*inLength < end) // let the copy report the short file
        return copyRange(in, inOffset, out, outOffset, length, blockSize, method);

    std::int64_t pos = inOffset;
    while (pos < end) {
        const off_t data = ::lseek(in.descriptor(), static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end of the file
        off_t hole = data < 0 ? -1 : ::lseek(in.descriptor(), data, SEEK_HOLE);
        if (data < 0 || hole < 0) // holes unknown here: copy the rest whole
            return copyRange(in, pos, out, outOffset + (pos - inOffset), end - pos, blockSize,
                             method);
        if (data >= end)
            break;
        const std::int64_t stop = std::min<std::int64_t>(hole, end);
        if (Status c = copyRange(in, data, out, outOffset + (data - inOffset), stop - data,
                                 blockSize, method);
            !c)
            return c;
        pos = stop;
    }
    return extendTo(out, outOffset + length);
}

Status copyFile(const std::string &from, const std::string &to, CopyMethod method) {
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
        result =
            copyIntoNewFile(in, 0, out, 0, static_cast<std::int64_t>(st.st_size), 65536, method);
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
