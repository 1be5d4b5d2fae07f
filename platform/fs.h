// File-system calls of the programs: paths, lengths, positioned byte access,
// block and kernel copies, directories, copy and delete. Every call reports
// failure as a Status carrying "name: reason"; none throws.
#pragma once

#include "platform/copy.h"
#include "platform/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::platform {

// ---- paths -----------------------------------------------------------------

// The native separator ('/' here).
constexpr char kSeparator = '/';

// True when the directory text ends in the separator, as a drive root does.
bool isRoot(std::string_view dir);
// Root-aware rule: dir + separator + name, without doubling a separator that
// already ends dir.
std::string joinRootAware(std::string_view dir, std::string_view name);
// Plain rule: dir + separator + name, always.
std::string joinPlain(std::string_view dir, std::string_view name);
// The text that a target-directory field keeps when a split or join appends a
// name to it. On systems with drive letters "c:\" becomes "c:"; here a root
// stays as it is.
std::string shortenRootForTarget(std::string_view dir);
// Last component of a path (text after the last separator).
std::string fileNameOf(std::string_view path);
// Everything before the last separator; "/" for a file in the root.
std::string directoryOf(std::string_view path);

// The process's working directory, or "" when it cannot be read.
std::string currentDirectory();

// ---- file identity -----------------------------------------------------------

struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId &) const = default;
};
// Identity of the file or directory a path names (symbolic links followed).
std::optional<FileId> fileId(const std::string &path);
// True when both paths name the same existing file or directory.
bool sameFile(const std::string &a, const std::string &b);

bool exists(const std::string &path);
bool isDirectory(const std::string &path);
bool isRegularFile(const std::string &path);

// ---- lengths, directories, delete --------------------------------------------

// Length in bytes of a file; nullopt and *status set on failure.
std::optional<std::int64_t> fileLength(const std::string &path, Status *status = nullptr);
// Makes one directory level. An existing directory counts as success; a file
// in the way fails with "Not a directory".
Status makeDirectory(const std::string &path);
Status removeFile(const std::string &path);
// Lets whoever may read the file `path` also run it (chmod: an x bit for
// every r bit), as a program installed from a read-only medium needs.
Status makeRunnable(const std::string &path);
// rename(2): puts a finished file in place, replacing a file of that name.
Status renameFile(const std::string &from, const std::string &to);

// A name beside `finalPath` under which a file can be written and later put
// in place with renameFile: same directory, hidden, not existing yet:
// ".name.part-" and eight random letters or digits, the name cut to fit.
std::string temporaryNameFor(const std::string &finalPath);
// A failure on the file written under the name `temporary`, told with the
// name the user knows, `finalPath`; other statuses come back as they are.
Status underFinalName(const Status &status, const std::string &temporary,
                      const std::string &finalPath);

// ---- byte access ---------------------------------------------------------------

class NewFile;

namespace detail {

// A descriptor the object owns, with the path it was opened by: closed when
// the object goes, handed on when it is moved.
class Descriptor {
protected:
    Descriptor() = default;
    ~Descriptor();
    Descriptor(Descriptor &&other) noexcept;
    Descriptor &operator=(Descriptor &&other) noexcept;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int fd_ = -1;
    std::string path_;
};

} // namespace detail

class File : private detail::Descriptor {
public:
    enum class Mode {
        Read,   // existing file, read only
        Create, // created anew (replacing whole a file of that name), read/write
        Append, // existing file, read/write, positioned writes anywhere
    };

    File() = default;

    // Never waits: the file is opened without blocking (a named pipe or a
    // device does not hold the caller up), and anything but a regular file is
    // refused after the open, on the opened file itself: a directory with
    // "Is a directory", anything else with "Not a regular file".
    Status open(const std::string &path, Mode mode);
    // Closes and reports a failing close (a delayed write error).
    Status close();
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    const std::string &path() const { return path_; }

    std::optional<std::int64_t> length(Status *status = nullptr) const;
    // Reads exactly `size` bytes at `offset`; a short file is a failure.
    Status readAt(std::int64_t offset, void *buffer, std::size_t size) const;
    // Writes exactly `size` bytes at `offset`.
    Status writeAt(std::int64_t offset, const void *buffer, std::size_t size);

private:
    friend class NewFile;
};

// ---- writing a file in place ------------------------------------------------------

// Whether a new file is made durable when it is put in place.
enum class Flush {
    None,    // left to the system (a later crash may lose it)
    Durable, // the file's data, then its directory entry, are on the device
             // before putInPlace returns
};

// An open directory. What a run writes, renames and removes goes through the
// handle, so it stays in the directory the run opened even when that
// directory is renamed or replaced by another under its path meanwhile.
class Directory : private detail::Descriptor {
public:
    Directory() = default;

    // Opens the directory `path` ("" means the working directory). Fails on
    // anything that is not a directory ("Not a directory").
    Status open(const std::string &path);
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    const std::string &path() const { return path_; }
    // The path of `name` in this directory, for messages.
    std::string pathOf(std::string_view name) const;

    // Identity of the entry `name` (links not followed); nullopt when there
    // is none.
    std::optional<FileId> idOf(const std::string &name) const;
    // renameat within the directory, replacing `to`. Errors name `to`.
    Status rename(const std::string &from, const std::string &to) const;
    // linkat within the directory: `to` becomes another name of `from`.
    Status link(const std::string &from, const std::string &to) const;
    // unlinkat of a file.
    Status remove(const std::string &name) const;
    // Flushes the directory's entries to the device (fsync).
    Status flush() const;
};

// A file written under a hidden temporary name beside its final name and put
// in place only when complete; the one way Dorvik writes a file.
//
// The temporary (".name.part-xxxxxxxx", see temporaryNameFor) is created
// anew, exclusively, and locked (flock) for as long as this object lives, so
// that removeLeftovers of another run never takes it for the leftover of a
// killed one. A NewFile that is destroyed or discarded before it was put in
// place removes its temporary; a file of the final name is then untouched.
class NewFile {
public:
    NewFile() = default;
    ~NewFile();
    NewFile(NewFile &&other) noexcept;
    NewFile &operator=(NewFile &&other) noexcept;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // Removes the leftovers of `name` in `dir` (removeLeftovers), then
    // creates the locked temporary. `dir` must outlive this object. The file
    // ends with the permission bits `mode` less the umask, as a file created
    // with that mode would; with `exactMode`, with `mode` as it is. Until
    // complete() the owner may always write it. Errors name the final path.
    Status create(const Directory &dir, const std::string &name, unsigned mode = 0666,
                  bool exactMode = false);
    // The temporary, open for reading and writing at any offset.
    File &file() { return file_; }
    const File &file() const { return file_; }
    const std::string &name() const { return name_; }
    const std::string &temporaryName() const { return temporary_; }
    // The final path, for messages.
    std::string path() const;

    // Writing is done: sets the final permission bits (where the file
    // system keeps any: one that answers ENOSYS or EOPNOTSUPP leaves the
    // file as it shows it) and, with
    // Flush::Durable, flushes the data; without, it still collects a
    // delayed write error (as a close would). The file stays open and
    // locked.
    Status complete(Flush flush);
    // complete() if not done yet, then renames the temporary to the final
    // name (replacing a file of that name); with Flush::Durable the
    // directory is flushed afterwards. On failure the temporary is still
    // there (discard() or the destructor removes it).
    Status putInPlace(Flush flush);
    bool placed() const { return placed_; }
    // Removes the temporary unless it was put in place; closes the file.
    void discard();

private:
    friend Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush);
    const Directory *dir_ = nullptr;
    File file_;
    std::string name_;
    std::string temporary_;
    unsigned mode_ = 0666;
    bool exactMode_ = false;
    bool completed_ = false;
    bool placed_ = false;
};

// Puts the completed files of one set in place as a whole; all of them are
// in the same directory. files[0] is the file that makes the set whole (the
// first piece, which carries the trailer): an older file of its name is
// removed before any other file is renamed, and files[0] is put in place
// last, so that at every instant the directory holds the older files, the
// new set, or a set without its first file.
//
// Each older file of one of the names is kept under a hidden name of the
// temporary pattern (a hard link where the file system has them, else a
// rename), locked like a temporary, until every rename succeeded; then these
// are removed. When a rename fails, every name gets its older file back (or
// none, when there was none), the temporaries are removed, and the failure is
// returned. With Flush::Durable every file and the directory are flushed.
Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush);

// Removes, in `dir`, the temporaries of `name` (".name.part-xxxxxxxx") that
// no process holds locked: the leftovers of a run that was killed or lost
// its power. A temporary of a run still going is locked and stays, as does
// anything that cannot be opened or removed. Never fails; returns how many
// were removed.
int removeLeftovers(const Directory &dir, const std::string &name);

// Whole-file copy of `from` (any regular file the caller may read, a
// read-only one too) to `to`, replacing `to`, as a NewFile: written under a
// temporary name beside `to` and put in place only when complete; on failure
// nothing is left behind and an existing `to` is untouched. The copy ends with
// the source's permission bits less the umask. Refuses to copy a file onto
// itself. Holes of a sparse source stay holes (with CopyMethod::Auto).
// `observer`, when given, hears of every round and may stop the copy. With
// Flush::Durable the copy and its directory entry are on the device when
// copyFile succeeds; a failing flush fails the copy.
Status copyFile(const std::string &from, const std::string &to,
                CopyMethod method = CopyMethod::Auto, CopyObserver *observer = nullptr,
                Flush flush = Flush::None);

} // namespace dorvik::platform
