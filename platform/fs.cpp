#include "platform/fs.h"

#include "platform/faults.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

Status makeRunnable(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Status::fromErrno(path, errno);
    const mode_t mode = st.st_mode & 07777;
    if (::chmod(path.c_str(), mode | ((mode & 0444) >> 2)) != 0)
        return Status::fromErrno(path, errno);
    return {};
}

Status renameFile(const std::string &from, const std::string &to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return Status::fromErrno(to, errno);
    return {};
}

namespace {

constexpr char kTemporaryMarker[] = ".part-";
constexpr std::size_t kRandomLength = 8;
constexpr char kRandomDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// ".name.part-": the start of every temporary name of `name`. The name is
// cut (at a character boundary) so that the whole temporary name fits in a
// directory entry even when the final name nearly fills one.
std::string temporaryStem(std::string name) {
    constexpr std::size_t nameMax = NAME_MAX;
    constexpr std::size_t room = nameMax - 1 - (sizeof kTemporaryMarker - 1) - kRandomLength;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return "." + name + kTemporaryMarker;
}

// A fresh random temporary name of `name` (no directory).
std::string randomTemporaryName(const std::string &name) {
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}()};
    std::string candidate = temporaryStem(name);
    const std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < kRandomLength; ++i)
        candidate += kRandomDigits[random() % 36];
    return candidate;
}

// True when `entry` is a temporary name of `name`.
bool isTemporaryOf(const std::string &entry, const std::string &stem) {
    if (entry.size() != stem.size() + kRandomLength || entry.compare(0, stem.size(), stem) != 0)
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(stem.size()), entry.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

// Takes the lock that marks a file as the temporary of a running run. True
// when held; false when another process holds it. Where the file system
// knows no locks the file counts as held (it is then never swept).
bool lockFile(int fd, bool *unsupported = nullptr) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (unsupported)
        *unsupported = rc != 0 && errno != EWOULDBLOCK;
    return rc == 0 || errno != EWOULDBLOCK;
}

bool sameInode(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// fsync with the seam in front; errors name `path`.
Status flushDescriptor(int fd, const std::string &path) {
    if (const int err = faults::check(faults::Call::Fsync, path))
        return Status::fromErrno(path, err);
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    // A file system that cannot flush a directory (EINVAL) has nothing to flush.
    if (rc != 0 && errno != EINVAL)
        return Status::fromErrno(path, errno);
    return {};
}

} // namespace

std::string temporaryNameFor(const std::string &finalPath) {
    const std::string dir = directoryOf(finalPath);
    for (;;) {
        std::string candidate = randomTemporaryName(fileNameOf(finalPath));
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

Status File::open(const std::string &path, Mode mode) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_ = path;
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::Create:
        flags |= O_RDWR | O_CREAT;
        break;
    case Mode::Append:
        flags |= O_RDWR;
        break;
    }
    if (mode != Mode::Read) {
        if (const int err = faults::check(faults::Call::OpenForWrite, path))
            return Status::fromErrno(path, err);
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
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
        return Status::failure(path + ": Not a regular file");
    }
    // Only now, on a regular file, is it safe to truncate and to block.
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 ||
        (mode == Mode::Create && ::ftruncate(fd, 0) != 0)) {
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

// ---- writing a file in place ------------------------------------------------------

Status Directory::open(const std::string &path) {
    if (fd_ >= 0)
        ::close(fd_);
    path_ = path;
    const std::string opened = path.empty() ? "." : path;
    do {
        fd_ = ::open(opened.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        return Status::fromErrno(path, errno);
    return {};
}

std::string Directory::pathOf(std::string_view name) const {
    return path_.empty() ? std::string(name) : joinRootAware(path_, name);
}

std::optional<FileId> Directory::idOf(const std::string &name) const {
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Status Directory::rename(const std::string &from, const std::string &to) const {
    if (const int err = faults::check(faults::Call::Rename, pathOf(to)))
        return Status::fromErrno(pathOf(to), err);
    if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0)
        return Status::fromErrno(pathOf(to), errno);
    return {};
}

Status Directory::link(const std::string &from, const std::string &to) const {
    if (const int err = faults::check(faults::Call::Link, pathOf(to)))
        return Status::fromErrno(pathOf(to), err);
    if (::linkat(fd_, from.c_str(), fd_, to.c_str(), 0) != 0)
        return Status::fromErrno(pathOf(to), errno);
    return {};
}

Status Directory::remove(const std::string &name) const {
    if (const int err = faults::check(faults::Call::Unlink, pathOf(name)))
        return Status::fromErrno(pathOf(name), err);
    if (::unlinkat(fd_, name.c_str(), 0) != 0)
        return Status::fromErrno(pathOf(name), errno);
    return {};
}

Status Directory::flush() const {
    return flushDescriptor(fd_, path_.empty() ? "." : path_);
}

NewFile::~NewFile() {
    discard();
}

NewFile::NewFile(NewFile &&other) noexcept
    : dir_(other.dir_), file_(std::move(other.file_)), name_(std::move(other.name_)),
      temporary_(std::move(other.temporary_)), mode_(other.mode_), exactMode_(other.exactMode_),
      completed_(other.completed_), placed_(other.placed_) {
    other.dir_ = nullptr;
    other.temporary_.clear();
}

NewFile &NewFile::operator=(NewFile &&other) noexcept {
    if (this != &other) {
        discard();
        dir_ = other.dir_;
        file_ = std::move(other.file_);
        name_ = std::move(other.name_);
        temporary_ = std::move(other.temporary_);
        mode_ = other.mode_;
        exactMode_ = other.exactMode_;
        completed_ = other.completed_;
        placed_ = other.placed_;
        other.dir_ = nullptr;
        other.temporary_.clear();
    }
    return *this;
}

std::string NewFile::path() const {
    return dir_ ? dir_->pathOf(name_) : name_;
}

// The temporary is created with the owner's read and write bits added, so
// the owner can always finish it and a later run can open it to test its
// lock. The bits the umask cleared are read back from the new file, and
// complete() keeps of `mode` exactly those: `mode` less the umask.
//
// Between the exclusive create and the lock another run's removeLeftovers
// may take the new file for a leftover. It then holds the lock (ours fails)
// or has removed the name already (the name no longer leads to our file):
// either way a new name is tried.
Status NewFile::create(const Directory &dir, const std::string &name, unsigned mode,
                       bool exactMode) {
    discard();
    dir_ = &dir;
    name_ = name;
    mode_ = mode & 07777;
    exactMode_ = exactMode;
    completed_ = placed_ = false;
    (void)removeLeftovers(dir, name); // a count only; nothing to report
    for (;;) {
        const std::string temporary = randomTemporaryName(name);
        if (const int err = faults::check(faults::Call::OpenForWrite, dir.pathOf(temporary)))
            return Status::fromErrno(path(), err);
        int fd;
        do {
            fd =
                ::openat(dir.descriptor(), temporary.c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, (mode_ & 0777) | 0600);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Status::fromErrno(path(), errno);
        }
        struct stat mine {
        }, named{};
        if (!lockFile(fd) || ::fstat(fd, &mine) != 0 ||
            ::fstatat(dir.descriptor(), temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !sameInode(mine, named)) {
            ::close(fd);
            continue;
        }
        if (!exactMode_)
            mode_ &= (mine.st_mode & 0777) | ~0777u;
        file_.fd_ = fd;
        file_.path_ = dir.pathOf(temporary);
        temporary_ = temporary;
        return {};
    }
}

Status NewFile::complete(Flush flush) {
    if (completed_)
        return {};
    if (!file_.isOpen())
        return Status::failure(path() + ": no file is being written");
    // A file system that keeps no permission bits of its own (a FUSE FAT
    // driver) refuses to be asked; the file keeps the bits it shows.
    if (::fchmod(file_.descriptor(), mode_) != 0 && errno != ENOSYS && errno != EOPNOTSUPP)
        return Status::fromErrno(path(), errno);
    if (flush == Flush::Durable) {
        if (Status s = flushDescriptor(file_.descriptor(), path()); !s)
            return s;
    } else {
        // A network file system reports a delayed write error at a close.
        // Closing a second descriptor of the file asks for that report
        // while this one keeps the file open and locked.
        const int copy = ::fcntl(file_.descriptor(), F_DUPFD_CLOEXEC, 0);
        if (copy < 0 || (::close(copy) != 0 && errno != EINTR))
            return Status::fromErrno(path(), errno);
    }
    completed_ = true;
    return {};
}

Status NewFile::putInPlace(Flush flush) {
    if (placed_)
        return {};
    if (Status s = complete(flush); !s)
        return s;
    if (Status s = dir_->rename(temporary_, name_); !s)
        return s;
    placed_ = true;
    if (flush == Flush::Durable)
        return dir_->flush();
    return {};
}

void NewFile::discard() {
    // Only a temporary that failed is closed and removed here; a failing
    // close or remove of it changes nothing about the failure being handled.
    if (!placed_ && dir_ && !temporary_.empty())
        (void)dir_->remove(temporary_);
    (void)file_.close();
    temporary_.clear();
    dir_ = nullptr;
}

namespace {

// An older file of a set's name, kept under a hidden name while the set is
// put in place.
struct Backup {
    std::string hidden;  // "" when there was no older file
    bool linked = false; // a second name (the older file is still in place)
    int lockFd = -1;     // holds the lock that keeps removeLeftovers away
};

void releaseBackup(Backup &b) {
    if (b.lockFd >= 0)
        ::close(b.lockFd);
    b.lockFd = -1;
}

// Keeps the older file `name` under a hidden name. The older file is locked
// first (where it can be opened), so its hidden name is never unlocked.
Status keepOlder(const Directory &dir, const std::string &name, Backup &b) {
    if (!dir.idOf(name))
        return {};
    b.lockFd =
        ::openat(dir.descriptor(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (b.lockFd >= 0 && !lockFile(b.lockFd))
        releaseBackup(b); // held by a run that is still going: keep it unlocked
    for (;;) {
        const std::string hidden = randomTemporaryName(name);
        Status s = dir.link(name, hidden);
        if (s) {
            b.hidden = hidden;
            b.linked = true;
            return {};
        }
        if (dir.idOf(hidden))
            continue;
        // No hard links here (a FAT disk, say): the older file moves aside.
        s = dir.rename(name, hidden);
        if (s) {
            b.hidden = hidden;
            return {};
        }
        if (dir.idOf(hidden))
            continue;
        releaseBackup(b);
        return underFinalName(s, dir.pathOf(hidden), dir.pathOf(name));
    }
}

} // namespace

Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush) {
    for (NewFile &f : files)
        if (Status s = f.complete(flush); !s)
            return s;
    if (files.empty())
        return {};
    const Directory &dir = *files[0].dir_;

    std::vector<Backup> backups(files.size());
    // Puts every name back as it was: the older file, or no file. Used only
    // while a failure is being reported; what cannot be put back stays under
    // its hidden name.
    auto rollBack = [&](const Status &failure) {
        for (std::size_t k = 0; k < files.size(); ++k) {
            Backup &b = backups[k];
            if (!b.hidden.empty()) {
                if (files[k].placed() || !dir.idOf(files[k].name()))
                    (void)dir.rename(b.hidden, files[k].name()); // see above
                else
                    (void)dir.remove(b.hidden); // the older file never left its name
            } else if (files[k].placed()) {
                (void)dir.remove(files[k].name()); // a name that had no file
            }
            releaseBackup(b);
            files[k].placed_ = false;
            files[k].discard();
        }
        return failure;
    };

    // The first file's older one goes first: without it the set is not
    // whole.
    for (std::size_t k = 0; k < files.size(); ++k)
        if (Status s = keepOlder(dir, files[k].name(), backups[k]); !s)
            return rollBack(s);
    if (backups[0].linked)
        if (Status s = dir.remove(files[0].name()); !s)
            return rollBack(s);
    for (std::size_t k = files.size(); k-- > 0;) {
        if (Status s = dir.rename(files[k].temporaryName(), files[k].name()); !s)
            return rollBack(s);
        files[k].placed_ = true;
    }
    if (flush == Flush::Durable)
        if (Status s = dir.flush(); !s)
            return rollBack(s);
    for (Backup &b : backups) {
        if (!b.hidden.empty())
            (void)dir.remove(b.hidden); // the set is in place; a stale copy is swept later
        releaseBackup(b);
    }
    return {};
}

int removeLeftovers(const Directory &dir, const std::string &name) {
    const int copy = ::fcntl(dir.descriptor(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return 0;
    DIR *d = ::fdopendir(copy);
    if (!d) {
        ::close(copy);
        return 0;
    }
    // The copy shares its position with `dir`: start from the top.
    ::rewinddir(d);
    const std::string stem = temporaryStem(name);
    std::vector<std::string> candidates;
    while (const dirent *e = ::readdir(d))
        if (isTemporaryOf(e->d_name, stem))
            candidates.emplace_back(e->d_name);
    ::closedir(d);

    int removed = 0;
    for (const std::string &c : candidates) {
        const int fd =
            ::openat(dir.descriptor(), c.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        bool unsupported = false;
        struct stat held {
        }, named{};
        // Locked, and still under that name: nobody owns it.
        if (lockFile(fd, &unsupported) && !unsupported && ::fstat(fd, &held) == 0 &&
            ::fstatat(dir.descriptor(), c.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameInode(held, named) && dir.remove(c))
            ++removed;
        ::close(fd);
    }
    return removed;
}

Status copyFile(const std::string &from, const std::string &to, CopyMethod method,
                CopyObserver *observer, Flush flush) {
    if (sameFile(from, to))
        return Status::failure(to + ": is the same file as " + from);
    File in;
    if (Status s = in.open(from, File::Mode::Read); !s)
        return s;
    struct stat st {};
    if (::fstat(in.descriptor(), &st) != 0)
        return Status::fromErrno(from, errno);

    Directory dir;
    const std::string toDirectory = directoryOf(to);
    if (Status s = dir.open(toDirectory); !s)
        return underFinalName(s, toDirectory, to);
    NewFile out;
    if (Status s = out.create(dir, fileNameOf(to), st.st_mode & 0777); !s)
        return s;
    Status result = copyIntoNewFile(in, 0, out.file(), 0, static_cast<std::int64_t>(st.st_size),
                                    65536, method, observer);
    if (result)
        result = out.putInPlace(flush);
    // The destination's name, not the hidden temporary's, in what the user
    // reads; the temporary goes with `out`.
    return underFinalName(result, out.file().path(), to);
}

} // namespace dorvik::platform
