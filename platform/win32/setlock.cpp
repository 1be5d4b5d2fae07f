// The lock of a piece set on Win32: a hidden file beside the set, held open
// without sharing and deleted when its handle closes.
#include "platform/setlock.h"
#include "platform/translate.h"

#include "platform/win32/win32.h"

#include <thread>

namespace dorvik::platform {

namespace {

// ".name.lock", the name cut (at a character boundary) so that the whole
// fits in a directory entry: 255 UTF-16 units, which 255 UTF-8 bytes never
// exceed. Two long names cut to one lock only take turns.
std::string lockName(std::string name) {
    constexpr std::size_t room = 255 - 6;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return "." + name + ".lock";
}

// True when the lock file is there, as a file that could be a lock: a file
// being deleted answers "access denied" to this query too. A read-only file
// or a directory of its name is no lock (and cannot become one).
bool lockFileThere(const std::wstring &path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    return !(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

} // namespace

SetLock::~SetLock() {
    release();
}

void SetLock::release() {
    if (handle_ >= 0)
        ::CloseHandle(win32::handleOf(handle_)); // the file goes with its last handle
    handle_ = -1;
}

// Another run holds the file open (a sharing violation), or has just closed
// it and the file is being deleted ("access denied" while it is still
// there). "Access denied" with no lock file there is a directory that takes
// no new file (or an entry of that name that is no lock): asked once more,
// in case the file went just then.
Status SetLock::acquire(const Directory &dir, const std::string &setName,
                        std::chrono::milliseconds patience,
                        const std::function<bool()> &stopRequested) {
    release();
    heldElsewhere_ = false;
    const std::wstring path = win32::systemPath(dir.pathOf(lockName(setName)));
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (int deniedWithoutFile = 0;;) {
        const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = win32::nativeOf(h);
            return {};
        }
        const DWORD err = ::GetLastError();
        if (err == ERROR_ACCESS_DENIED && !lockFileThere(path)) {
            if (++deniedWithoutFile < 2)
                continue;
            return {}; // no lock can be made here: go on as runs did before locks
        }
        if (err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED)
            return {}; // the same
        deniedWithoutFile = 0;
        if (stopRequested && stopRequested())
            return Status::stopped();
        if (std::chrono::steady_clock::now() >= giveUp) {
            heldElsewhere_ = true;
            return Status::failure(
                fill(DORVIK_TEXT("Files", "%1: another run is writing this piece set"),
                     {dir.pathOf(setName)}));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace dorvik::platform
