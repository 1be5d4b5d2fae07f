#include "platform/newfile.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"

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
    // Closed first: Windows removes an open file's name only at its close.
    (void)file_.close();
    if (!placed_ && dir_ && !temporary_.empty())
        (void)dir_->remove(temporary_);
    temporary_.clear();
    dir_ = nullptr;
}

namespace {

// An older file of a set's name, kept under a hidden name while the set is
// put in place.
struct Backup {
    std::string hidden;     // "" when there was no older file
    bool linked = false;    // a second name (the older file is still in place)
    NativeHandle lock = -1; // holds the lock that keeps removeLeftovers away
};

void releaseBackup(Backup &b) {
    internal::closeHandle(b.lock);
    b.lock = -1;
}

// Keeps the older file `name` under a hidden name. The older file is locked
// first (where it can be), so its hidden name is never unlocked.
Status keepOlder(const Directory &dir, const std::string &name, Backup &b) {
    if (!dir.idOf(name))
        return {};
    b.lock = internal::lockEntry(dir, name);
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
            // Closed first: Windows neither replaces nor removes a name
            // whose file is still open.
            if (k < files.size())
                (void)files[k].file_.close();
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
