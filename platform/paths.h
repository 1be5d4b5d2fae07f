// Paths as texts: joining a directory and a name, taking a path apart, and
// the process's working directory.
#pragma once

#include <string>
#include <string_view>

namespace dorvik::platform {

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

} // namespace dorvik::platform
