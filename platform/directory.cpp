#include "platform/directory.h"

#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::platform {

Status Directory::open(const std::string &path, const std::string &known) {
    if (fd_ >= 0)
        ::close(fd_);
    path_ = path;
    const std::string opened = path.empty() ? "." : path;
    do {
        fd_ = ::open(opened.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        return Status::fromErrno(known.empty() ? path : known, errno);
    return {};
}

std::string Directory::pathOf(std::string_view name) const {
    return path_.empty() ? std::string(name) : joinRootAware(path_, name);
}

std::optional<FileId> Directory::idOf(const std::string &name) const {
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::vector<std::string> Directory::names() const {
    std::vector<std::string> names;
    // A descriptor of its own: the stream takes it over and closes it.
    const int copy = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0)
        return names;
    DIR *d = ::fdopendir(copy);
    if (!d) {
        ::close(copy);
        return names;
    }
    while (const dirent *e = ::readdir(d)) {
        const std::string_view n = e->d_name;
        if (n != "." && n != "..")
            names.emplace_back(n);
    }
    ::closedir(d);
    return names;
}

Status Directory::rename(const std::string &from, const std::string &to,
                         const std::string &known) const {
    const std::string named = pathOf(known.empty() ? to : known);
    if (const int err = faults::check(faults::Call::Rename, pathOf(to)))
        return Status::fromErrno(named, err);
    if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0)
        return Status::fromErrno(named, errno);
    return {};
}

Status Directory::link(const std::string &from, const std::string &to,
                       const std::string &known) const {
    const std::string named = pathOf(known.empty() ? to : known);
    if (const int err = faults::check(faults::Call::Link, pathOf(to)))
        return Status::fromErrno(named, err);
    if (::linkat(fd_, from.c_str(), fd_, to.c_str(), 0) != 0)
        return Status::fromErrno(named, errno);
    return {};
}

Status Directory::remove(const std::string &name) const {
    if (const int err = faults::check(faults::Call::Unlink, pathOf(name)))
        return Status::fromErrno(pathOf(name), err);
    if (::unlinkat(fd_, name.c_str(), 0) != 0)
        return Status::fromErrno(pathOf(name), errno);
    return {};
}

Status Directory::flush() const {
    return internal::flushDescriptor(fd_, path_.empty() ? "." : path_);
}

} // namespace dorvik::platform
