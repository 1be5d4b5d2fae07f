// An open directory, through which a run writes, renames and removes.
#pragma once

#include "platform/file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::platform {

// An open directory. What a run writes, renames and removes goes through the
// handle, so it stays in the directory the run opened even when that
// directory is renamed or replaced by another under its path meanwhile. On
// Windows, which has no calls relative to a directory handle, the handle
// instead keeps the directory from being renamed or removed while it is
// open, and files are addressed by the path it was opened by.
class Directory : private detail::Descriptor {
public:
    Directory() = default;

    // Opens the directory `path` ("" means the working directory). Fails on
    // anything that is not a directory ("Not a directory"). Errors name
    // `path`, or `known` when given (a file the user asked for in it).
    Status open(const std::string &path, const std::string &known = {});
    bool isOpen() const { return fd_ >= 0; }
    NativeHandle descriptor() const { return fd_; }
    const std::string &path() const { return path_; }
    // The path of `name` in this directory, for messages.
    std::string pathOf(std::string_view name) const;

    // Identity of the entry `name` (links not followed); nullopt when there
    // is none.
    std::optional<FileId> idOf(const std::string &name) const;
    // The names of the entries, "." and ".." left out, in no given order;
    // empty when the directory cannot be read.
    std::vector<std::string> names() const;
    // renameat within the directory, replacing `to`. Errors name `to`, or
    // `known` when given (the name the user knows, when `to` is hidden).
    Status rename(const std::string &from, const std::string &to,
                  const std::string &known = {}) const;
    // linkat within the directory: `to` becomes another name of `from`.
    // Errors name `to`, or `known` when given.
    Status link(const std::string &from, const std::string &to,
                const std::string &known = {}) const;
    // unlinkat of a file.
    Status remove(const std::string &name) const;
    // Flushes the directory's entries to the device (fsync).
    Status flush() const;
};

} // namespace dorvik::platform
