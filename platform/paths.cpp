#include "platform/paths.h"

#ifdef _WIN32
#include "platform/win32/win32.h"
#else
#include <cerrno>
#include <unistd.h>
#endif
#include <vector>

namespace dorvik::platform {

namespace {

#ifdef _WIN32
// Windows takes '/' as well as '\'.
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}
// "c:" in front: the name of a drive.
bool hasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}
#else
bool isSeparator(char c) {
    return c == kSeparator;
}
bool hasDrive(std::string_view) {
    return false;
}
#endif

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i-- > 0;)
        if (isSeparator(path[i]))
            return i;
    return std::string_view::npos;
}

} // namespace

bool isRoot(std::string_view dir) {
    return !dir.empty() && isSeparator(dir.back());
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
    if (dir.size() == 3 && hasDrive(dir) && isSeparator(dir[2]))
        return std::string(dir.substr(0, 2));
    return std::string(dir);
}

std::string fileNameOf(std::string_view path) {
    const auto pos = lastSeparator(path);
    if (pos == std::string_view::npos)
        return std::string(hasDrive(path) ? path.substr(2) : path);
    return std::string(path.substr(pos + 1));
}

std::string directoryOf(std::string_view path) {
    const auto pos = lastSeparator(path);
    if (pos == std::string_view::npos)
        return std::string(hasDrive(path) ? path.substr(0, 2) : std::string_view());
    // A root keeps its separator: "/", "\", "c:\".
    if (pos == 0 || (pos == 2 && hasDrive(path)))
        return std::string(path.substr(0, pos + 1));
    return std::string(path.substr(0, pos));
}

bool canEndFileName(std::string_view text) {
    for (const char c : text) {
        if (c == '\0' || isSeparator(c))
            return false;
#ifdef _WIN32
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
            return false;
#endif
    }
    return true;
}

std::string currentDirectory() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0)
            return {};
        if (n < buffer.size())
            return win32::narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(n + 1);
    }
#else
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
#endif
}

} // namespace dorvik::platform
