// Paths as texts: joining a directory and a name, taking a path apart, and
// the process's working directory.
#pragma once

#include <string>
#include <string_view>

namespace dorvik::platform {

// The native separator: '/', and '\\' on Windows (where '/' is taken too).
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// True when the directory text ends in a separator, as a drive root does.
bool isRoot(std::string_view dir);
// Root-aware rule: dir + separator + name, without doubling a separator that
// already ends dir.
std::string joinRootAware(std::string_view dir, std::string_view name);
// Plain rule: dir + separator + name, always.
std::string joinPlain(std::string_view dir, std::string_view name);
// The text that a target-directory field keeps when a split or join appends a
// name to it. On Windows "c:\" becomes "c:"; any other directory, and every
// directory on Linux, stays as it is.
std::string shortenRootForTarget(std::string_view dir);
// Last component of a path (text after the last separator, or after the
// drive of "c:name").
std::string fileNameOf(std::string_view path);
// Everything before the last separator; the root itself ("/", "c:\") for a
// file in a root; "c:" for "c:name"; "" for a bare name.
std::string directoryOf(std::string_view path);

// True when `text` may stand in a file name: no separator and no NUL; on
// Windows also none of the characters it reserves (:*?"<>| and the control
// characters), so that a name never leads into another directory or a
// stream of another file.
bool canEndFileName(std::string_view text);

// The process's working directory, or "" when it cannot be read.
std::string currentDirectory();

} // namespace dorvik::platform
