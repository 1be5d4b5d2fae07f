// The sweep of the temporaries that killed runs left, on Win32.
#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/newfile.h"
#include "platform/win32/win32.h"

namespace dorvik::platform {

// A temporary whose lock can be taken belongs to nobody. It is deleted
// through the handle that holds the lock, so the file removed is the one
// found unowned, whatever happened to its name meanwhile.
int removeLeftovers(const Directory &dir, const std::string &name) {
    const std::string stem = internal::temporaryStem(name);
    int removed = 0;
    for (const std::string &c : dir.names()) {
        if (!internal::isTemporaryOf(c, stem))
            continue;
        const HANDLE h =
            ::CreateFileW(win32::systemPath(dir.pathOf(c)).c_str(), GENERIC_READ | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        FILE_DISPOSITION_INFO gone{TRUE};
        if (win32::lockTemporary(h) && faults::check(faults::Call::Unlink, dir.pathOf(c)) == 0 &&
            ::SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone))
            ++removed;
        ::CloseHandle(h);
    }
    return removed;
}

} // namespace dorvik::platform
