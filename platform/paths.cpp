#include "platform/paths.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace dorvik::platform {

bool isRoot(std::string_view dir) {
    return !dir.empty() && dir.back() == kSeparator;
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
    return std::string(dir);
}

std::string fileNameOf(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string directoryOf(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    if (pos == std::string_view::npos)
        return {};
    if (pos == 0)
        return std::string(1, kSeparator);
    return std::string(path.substr(0, pos));
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace dorvik::platform
