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
// rename(2): puts a finished file in place, replacing a file of that name.
Status renameFile(const std::string &from, const std::string &to);

// A name beside `finalPath` under which a file can be written and later put
// in place with renameFile: same directory, hidden, not existing yet.
std::string temporaryNameFor(const std::string &finalPath);
// A failure on the file written under the name `temporary`, told with the
// name the user knows, `finalPath`; other statuses come back as they are.
Status underFinalName(const Status &status, const std::string &temporary,
                      const std::string &finalPath);

// ---- byte access ---------------------------------------------------------------

class File {
public:
    enum class Mode {
        Read,   // existing file, read only
        Create, // created anew (replacing whole a file of that name), read/write
        Append, // existing file, read/write, positioned writes anywhere
    };

    File() = default;
    ~File();
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;
    File(const File &) = delete;
    File &operator=(const File &) = delete;

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
    int fd_ = -1;
    std::string path_;
};

// Whole-file copy of `from` to `to`, replacing `to`. Written under a temporary
// name beside `to` and put in place only when complete; on failure nothing is
// left behind and an existing `to` is untouched. Refuses to copy a file onto
// itself. Holes of a sparse source stay holes (with CopyMethod::Auto).
// `observer`, when given, hears of every round and may stop the copy.
Status copyFile(const std::string &from, const std::string &to,
                CopyMethod method = CopyMethod::Auto, CopyObserver *observer = nullptr);

} // namespace dorvik::platform
