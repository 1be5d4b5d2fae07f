// The lock of a piece set on Win32: a hidden file beside the set, held open
// without sharing and deleted when its handle closes.
#include "platform/directory.h"
#include "platform/fsinternal.h"
#include "platform/text.h"
#include "platform/win32/win32.h"

namespace dorvik::platform {

namespace {

// ".name.lock", the name cut (at a character boundary) so that the whole
// fits in a directory entry: 255 UTF-16 units, which 255 UTF-8 bytes never
// exceed. Two long names cut to one lock only take turns.
std::string lockName(const std::string &name) {
    return "." + firstBytes(name, 255 - 6) + ".lock";
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

namespace internal {

// Another run holds the file open (a sharing violation), or has just closed
// it and the file is being deleted ("access denied" while it is still
// there). "Access denied" with no lock file there is a directory that takes
// no new file (or an entry of that name that is no lock): asked once more,
// in case the file went just then.
SetLockTry tryLockSet(const Directory &dir, const std::string &setName, NativeHandle &handle,
                      Status &) {
    const std::wstring path = win32::systemPath(dir.pathOf(lockName(setName)));
    for (int tries = 0;; ++tries) {
        const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle = win32::nativeOf(h);
            return SetLockTry::Taken;
        }
        const DWORD err = ::GetLastError();
        if (err == ERROR_ACCESS_DENIED && !lockFileThere(path)) {
            if (tries == 0)
                continue;
            return SetLockTry::NoLock;
        }
        if (err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED)
            return SetLockTry::NoLock;
        return SetLockTry::Busy;
    }
}

} // namespace internal

} // namespace dorvik::platform
