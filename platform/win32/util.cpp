#include "platform/win32/win32.h"

#include <vector>

namespace dorvik::platform::win32 {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

std::wstring systemPath(const std::string &path) {
    std::wstring given = wide(path.empty() ? std::string(".") : path);
    if (given.rfind(L"\\\\?\\", 0) == 0 || given.rfind(L"\\\\.\\", 0) == 0)
        return given;
    std::vector<wchar_t> full(given.size() + MAX_PATH + 1);
    for (;;) {
        const DWORD n = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()),
                                           full.data(), nullptr);
        if (n == 0)
            return given; // the call that uses it reports the fault
        if (n < full.size())
            break;
        full.resize(n + 1);
    }
    const std::wstring absolute(full.data());
    if (absolute.rfind(L"\\\\", 0) == 0) // \\server\share\...
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

Status failure(const std::string &name, DWORD error) {
    wchar_t *text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string reason = n > 0 ? narrow(std::wstring_view(text, n)) : std::string();
    if (text)
        ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "system error " + std::to_string(error);
    return Status::failure(name + ": " + reason);
}

Status lastError(const std::string &name) {
    return failure(name, ::GetLastError());
}

HANDLE handleOf(NativeHandle h) {
    return reinterpret_cast<HANDLE>(h);
}

NativeHandle nativeOf(HANDLE h) {
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<NativeHandle>(h);
}

bool lockTemporary(HANDLE h) {
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFF0u;
    at.OffsetHigh = 0x3FFFFFFFu;
    return ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

bool idOfHandle(HANDLE h, FileId &id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info))
        return false;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

} // namespace dorvik::platform::win32
