// Writing a file so that its name never leads to half of it: a file is
// written under a hidden temporary name and takes its final name only when
// complete; a set of files takes its names together; the temporaries of a
// run that was killed are swept away by the next.
#pragma once

#include "platform/directory.h"
#include "platform/file.h"

#include <string>
#include <vector>

namespace dorvik::platform {

// Whether a new file is made durable when it is put in place.
enum class Flush {
    None,    // left to the system (a later crash may lose it)
    Durable, // the file's data, then its directory entry, are on the device
             // before putInPlace returns
};

// A file written under a hidden temporary name beside its final name and put
// in place only when complete; the one way Dorvik writes a file.
//
// The temporary (".name.part-" and eight random letters or digits, the name
// cut to fit a directory entry) is created anew, exclusively, and locked
// (flock) for as long as this object lives, so that removeLeftovers of
// another run never takes it for the leftover of a killed one. A NewFile
// that is destroyed or discarded before it was put in place removes its
// temporary; a file of the final name is then untouched. Every error names
// the final path, never the temporary.
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
    // complete() the owner may always write it.
    Status create(const Directory &dir, const std::string &name, unsigned mode = 0666,
                  bool exactMode = false);
    // The temporary, open for reading and writing at any offset; its errors
    // name the final path.
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
    friend Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush,
                                     const std::vector<std::string> &obsolete);
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
//
// `obsolete` names files of the older set that the new one has none of (a
// companion file the new set does without): they are kept aside like the
// older files, gone before files[0] takes its name, and put back on failure.
Status putInPlaceTogether(std::vector<NewFile> &files, Flush flush,
                          const std::vector<std::string> &obsolete = {});

// Removes, in `dir`, the temporaries of `name` (".name.part-xxxxxxxx") that
// no process holds locked: the leftovers of a run that was killed or lost
// its power. A temporary of a run still going is locked and stays, as does
// anything that cannot be opened or removed. Never fails; returns how many
// were removed.
int removeLeftovers(const Directory &dir, const std::string &name);

} // namespace dorvik::platform
