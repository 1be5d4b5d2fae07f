// Temporary names and the sweep of the temporaries that killed runs left.
#include "platform/fsinternal.h"
#include "platform/newfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/file.h>
#include <unistd.h>

namespace dorvik::platform {

namespace internal {

namespace {

constexpr char kTemporaryMarker[] = ".part-";
constexpr std::size_t kRandomLength = 8;
constexpr char kRandomDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

} // namespace

std::string temporaryStem(std::string name) {
    constexpr std::size_t nameMax = NAME_MAX;
    constexpr std::size_t room = nameMax - 1 - (sizeof kTemporaryMarker - 1) - kRandomLength;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return "." + name + kTemporaryMarker;
}

std::string randomTemporaryName(const std::string &name) {
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}()};
    std::string candidate = temporaryStem(name);
    const std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < kRandomLength; ++i)
        candidate += kRandomDigits[random() % 36];
    return candidate;
}

bool isTemporaryOf(const std::string &entry, const std::string &stem) {
    if (entry.size() != stem.size() + kRandomLength || entry.compare(0, stem.size(), stem) != 0)
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(stem.size()), entry.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

bool lockFile(int fd, bool *unsupported) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (unsupported)
        *unsupported = rc != 0 && errno != EWOULDBLOCK;
    return rc == 0 || errno != EWOULDBLOCK;
}

} // namespace internal

int removeLeftovers(const Directory &dir, const std::string &name) {
    const std::string stem = internal::temporaryStem(name);
    int removed = 0;
    for (const std::string &c : dir.names()) {
        if (!internal::isTemporaryOf(c, stem))
            continue;
        const int fd =
            ::openat(dir.descriptor(), c.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        bool unsupported = false;
        struct stat held {
        }, named{};
        // Locked, and still under that name: nobody owns it.
        if (internal::lockFile(fd, &unsupported) && !unsupported && ::fstat(fd, &held) == 0 &&
            ::fstatat(dir.descriptor(), c.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            internal::sameInode(held, named) && dir.remove(c))
            ++removed;
        ::close(fd);
    }
    return removed;
}

} // namespace dorvik::platform
