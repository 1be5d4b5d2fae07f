// Test seam: lets a test make chosen calls of the platform layer fail, or
// watch them happen, without a faulty device. Nothing is armed in the
// programs; an unarmed seam costs one relaxed atomic load per call.
#pragma once

#include <atomic>
#include <functional>
#include <string>

namespace dorvik::platform::faults {

// The calls the seam can reach: every call of the platform layer that
// creates, renames, links, removes or flushes a file or directory entry, and
// the two ways a copy asks the file system to do the copying itself.
enum class Call {
    OpenForWrite, // creating a file to write (the temporary of a new file)
    Rename,       // renameat
    Fsync,        // fsync of a file or a directory
    Link,         // linkat (the backup of an older file)
    Unlink,       // unlinkat
    Clone,        // FICLONERANGE of a copy (the path is the file written)
    KernelCopy,   // copy_file_range of a copy (the path is the file written)
};

// Called before each such call with its kind and the path it works on.
// Returns 0 to let the call go ahead, or an errno value the call then fails
// with (without being made). May also act on the world (record the call,
// end the process).
using Hook = std::function<int(Call call, const std::string &path)>;

// Installs `hook` for every following call (an empty hook disarms the seam).
// Not thread-safe: set it before the operation under test starts.
void setHook(Hook hook);

// A hook that fails the `nth` call (1 = the first) of kind `call` from now
// on with `err` and lets every other call go ahead.
Hook failNth(Call call, int nth, int err);

namespace detail {
extern std::atomic<bool> armed;
int hit(Call call, const std::string &path);
} // namespace detail

// What the platform layer asks before `call` on `path`: 0 or the errno to
// fail with.
inline int check(Call call, const std::string &path) {
    return detail::armed.load(std::memory_order_relaxed) ? detail::hit(call, path) : 0;
}

// Arms the seam for the life of the object, then disarms it.
class ScopedHook {
public:
    explicit ScopedHook(Hook hook) { setHook(std::move(hook)); }
    ~ScopedHook() { setHook({}); }
    ScopedHook(const ScopedHook &) = delete;
    ScopedHook &operator=(const ScopedHook &) = delete;
};

} // namespace dorvik::platform::faults
