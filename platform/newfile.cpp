#include "platform/newfile.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::platform {

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
        const std::string temporary = internal::randomTemporaryName(name);
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
        if (!internal::lockFile(fd) || ::fstat(fd, &mine) != 0 ||
            ::fstatat(dir.descriptor(), temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !internal::sameInode(mine, named)) {
            ::close(fd);
            continue;
        }
        if (!exactMode_)
            mode_ &= (mine.st_mode & 0777) | ~0777u;
        file_.fd_ = fd;
        file_.path_ = path();
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
        if (Status s = internal::flushDescriptor(file_.descriptor(), path()); !s)
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
    if (b.lockFd >= 0 && !internal::lockFile(b.lockFd))
        releaseBackup(b); // held by a run that is still going: keep it unlocked
    for (;;) {
        const std::string hidden = internal::randomTemporaryName(name);
        Status s = dir.link(name, hidden, name);
        if (s) {
            b.hidden = hidden;
            b.linked = true;
            return {};
        }
        if (dir.idOf(hidden))
            continue;
        // No hard links here (a FAT disk, say): the older file moves aside.
        s = dir.rename(name, hidden, name);
        if (s) {
            b.hidden = hidden;
            return {};
        }
        if (dir.idOf(hidden))
            continue;
        releaseBackup(b);
        return s;
    }
}

} // namespace

Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush,
                          const std::vector<std::string> &obsolete) {
    for (NewFile &f : files)
        if (Status s = f.complete(flush); !s)
            return s;
    if (files.empty())
        return {};
    const Directory &dir = *files[0].dir_;

    // The older file of every name: the new files' names, then the obsolete
    // ones.
    std::vector<std::string> names;
    for (const NewFile &f : files)
        names.push_back(f.name());
    names.insert(names.end(), obsolete.begin(), obsolete.end());
    std::vector<Backup> backups(names.size());
    auto isPlaced = [&](std::size_t k) { return k < files.size() && files[k].placed(); };

    // Puts every name back as it was: the older file, or no file. Used only
    // while a failure is being reported; what cannot be put back stays under
    // its hidden name.
    auto rollBack = [&](const Status &failure) {
        for (std::size_t k = 0; k < names.size(); ++k) {
            Backup &b = backups[k];
            if (!b.hidden.empty()) {
                if (isPlaced(k) || !dir.idOf(names[k]))
                    (void)dir.rename(b.hidden, names[k]); // see above
                else
                    (void)dir.remove(b.hidden); // the older file never left its name
            } else if (isPlaced(k)) {
                (void)dir.remove(names[k]); // a name that had no file
            }
            releaseBackup(b);
        }
        for (NewFile &f : files) {
            f.placed_ = false;
            f.discard();
        }
        return failure;
    };

    // The first file's older one goes first: without it the set is not
    // whole. The obsolete names go next, before any new file takes a name.
    for (std::size_t k = 0; k < names.size(); ++k)
        if (Status s = keepOlder(dir, names[k], backups[k]); !s)
            return rollBack(s);
    if (backups[0].linked)
        if (Status s = dir.remove(names[0]); !s)
            return rollBack(s);
    for (std::size_t k = files.size(); k < names.size(); ++k)
        if (backups[k].linked)
            if (Status s = dir.remove(names[k]); !s)
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

} // namespace dorvik::platform
