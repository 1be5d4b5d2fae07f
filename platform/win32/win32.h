// What the Win32 sources of the platform layer share: UTF-8 and UTF-16,
// paths as the system calls take them, errors in the form "name: reason",
// and the lock that marks a live temporary.
#pragma once

#include "platform/file.h"
#include "platform/status.h"

#include <string>
#include <string_view>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace dorvik::platform::win32 {

// UTF-8 to UTF-16 and back. Invalid UTF-8 becomes U+FFFD.
std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// `path` as every system call here takes it: absolute (a relative path is
// taken from the working directory, which the programs never change), with
// backslashes, and with the "\\?\" prefix, so that no 260-character limit
// applies and no name is altered (trailing dots and blanks are kept). ""
// stands for the working directory.
std::wstring systemPath(const std::string &path);

// "name: reason", the reason in the system's words (FormatMessageW) without
// the final full stop.
Status failure(const std::string &name, DWORD error);
// The same for GetLastError().
Status lastError(const std::string &name);

HANDLE handleOf(NativeHandle h);
NativeHandle nativeOf(HANDLE h);

// Takes the lock that marks a file as the temporary of a running run: an
// exclusive lock of one byte far beyond any file's end, so that it never
// stands in the way of reading or writing the file. True when taken.
bool lockTemporary(HANDLE h);

// Identity of an open file.
bool idOfHandle(HANDLE h, FileId &id);

} // namespace dorvik::platform::win32
