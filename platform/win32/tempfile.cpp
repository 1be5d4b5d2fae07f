// Creating and completing the temporary of a NewFile on Win32. A temporary
// is hidden (its dot name, and FILE_ATTRIBUTE_HIDDEN until it is complete),
// shared for reading with the user's other programs, and marked live by a
// LockFileEx lock for as long as it is open. Windows files have no
// permission bits: `mode` is not applied, and no file is made read-only.
#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/newfile.h"
#include "platform/translate.h"
#include "platform/win32/win32.h"

namespace dorvik::platform {

// Between the create and the lock another run's removeLeftovers may take the
// new file for a leftover and delete it; the name then no longer leads to
// our file, and a new name is tried.
Status NewFile::create(const Directory &dir, const std::string &name, unsigned mode,
                       bool exactMode) {
    discard();
    dir_ = &dir;
    name_ = name;
    mode_ = mode & 07777;
    exactMode_ = exactMode;
    completed_ = placed_ = false;
    (void)removeLeftovers(dir, name); // a count only; nothing to report
    for (;;) {
        const std::string temporary = internal::randomTemporaryName(name);
        if (const int err = faults::check(faults::Call::OpenForWrite, dir.pathOf(temporary)))
            return Status::fromErrno(path(), err);
        const HANDLE h = ::CreateFileW(win32::systemPath(dir.pathOf(temporary)).c_str(),
                                       GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)
                continue;
            return win32::failure(path(), err);
        }
        // Only a lock held elsewhere (a sweep) or a name that leads elsewhere
        // means the file is not ours to keep; a volume without locks or ids
        // counts as held, as on Linux.
        FileId mine;
        const bool sweptAway =
            (!win32::lockTemporary(h) && ::GetLastError() == ERROR_LOCK_VIOLATION) ||
            (win32::idOfHandle(h, mine) && dir.idOf(temporary) != std::optional<FileId>(mine));
        if (sweptAway) {
            ::CloseHandle(h);
            continue;
        }
        file_.fd_ = win32::nativeOf(h);
        file_.path_ = path();
        temporary_ = temporary;
        return {};
    }
}

// The final name is not hidden: the attribute goes before the rename.
Status NewFile::complete(Flush flush) {
    if (completed_)
        return {};
    if (!file_.isOpen())
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: no file is being written"), {path()}));
    const HANDLE h = win32::handleOf(file_.descriptor());
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
        return win32::lastError(path());
    if (basic.FileAttributes & FILE_ATTRIBUTE_HIDDEN) {
        basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
        if (basic.FileAttributes == 0)
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic))
            return win32::lastError(path());
    }
    if (flush == Flush::Durable)
        if (Status s = internal::flushDescriptor(file_.descriptor(), path()); !s)
            return s;
    completed_ = true;
    return {};
}

namespace internal {

// Windows keeps a name whose file is open from being replaced or removed
// for good until that file is closed, so an older file is kept aside
// unlocked: the leftover sweep of another run writing the same names at the
// same moment could take it, as on a Linux file system without locks.
NativeHandle lockEntry(const Directory &, const std::string &) {
    return -1;
}

void closeHandle(NativeHandle handle) {
    if (handle >= 0)
        ::CloseHandle(win32::handleOf(handle));
}

} // namespace internal

} // namespace dorvik::platform
