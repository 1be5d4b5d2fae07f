// Files and directories by path, and the File a program reads or writes
// through: identity, lengths, making a directory, removing a file, and
// positioned byte access. Every call reports failure as a Status carrying
// "name: reason"; none throws.
#pragma once

#include "platform/status.h"

#include <cstdint>
#include <optional>
#include <string>

namespace dorvik::platform {

// What the system opens a file or directory as: a descriptor here, a HANDLE
// (as an integer) on Windows. -1 stands for none on both.
#ifdef _WIN32
using NativeHandle = std::intptr_t;
#else
using NativeHandle = int;
#endif

// ---- identity ------------------------------------------------------------------

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

// ---- lengths, directories, delete ------------------------------------------------

// Length in bytes of a file; nullopt and *status set on failure.
std::optional<std::int64_t> fileLength(const std::string &path, Status *status = nullptr);
// Makes one directory level. An existing directory counts as success; a file
// in the way fails with "Not a directory".
Status makeDirectory(const std::string &path);
Status removeFile(const std::string &path);
// Lets whoever may read the file `path` also run it (chmod: an x bit for
// every r bit), as a program installed from a read-only medium needs.
Status makeRunnable(const std::string &path);

// ---- byte access -----------------------------------------------------------------

class Directory;
class NewFile;

namespace detail {

// A descriptor the object owns, with the path it is known by: closed when
// the object goes, handed on when it is moved.
class Descriptor {
protected:
    Descriptor() = default;
    ~Descriptor();
    Descriptor(Descriptor &&other) noexcept;
    Descriptor &operator=(Descriptor &&other) noexcept;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    NativeHandle fd_ = -1;
    std::string path_;
};

} // namespace detail

// An open regular file. open() gives one to read; a file to write comes
// from NewFile, whose File is known by the final name it will take.
class File : private detail::Descriptor {
public:
    File() = default;

    // Opens an existing file for reading. Never waits: the file is opened
    // without blocking (a named pipe or a device does not hold the caller
    // up), and anything but a regular file is refused after the open, on the
    // opened file itself: a directory with "Is a directory", anything else
    // with "Not a regular file".
    Status open(const std::string &path);
    // Closes and reports a failing close (a delayed write error).
    Status close();
    bool isOpen() const { return fd_ >= 0; }
    NativeHandle descriptor() const { return fd_; }
    // The name errors on this file carry.
    const std::string &path() const { return path_; }

    std::optional<std::int64_t> length(Status *status = nullptr) const;
    // Identity of the open file; nullopt when it cannot be read.
    std::optional<FileId> id() const;
    // Reads exactly `size` bytes at `offset`; a short file is a failure.
    Status readAt(std::int64_t offset, void *buffer, std::size_t size) const;
    // Writes exactly `size` bytes at `offset` (a file of a NewFile only).
    Status writeAt(std::int64_t offset, const void *buffer, std::size_t size);

private:
    friend class NewFile;
};

} // namespace dorvik::platform
