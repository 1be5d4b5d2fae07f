// The Win32 side of dorvik-cli: the arguments in UTF-16, the console
// (written in UTF-16, so that any name shows as it is), and files and pipes
// written byte for byte.
#include "cli/system.h"
#include "cli/console.h"
#include "platform/win32/win32.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace dorvik::cli {

namespace win32 = platform::win32;

namespace {

HANDLE handleOfChannel(int fd) {
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool isConsole(int fd) {
    DWORD mode = 0;
    const HANDLE h = handleOfChannel(fd);
    return h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) != 0;
}

// A channel of its own on the console's input or output ("CONIN$",
// "CONOUT$"); -1 when there is no console.
int openConsole(const wchar_t *name) {
    const HANDLE h =
        ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
    if (fd < 0)
        ::CloseHandle(h);
    return fd;
}

} // namespace

std::vector<std::string> programArguments(int, char **) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        args.push_back(win32::narrow(wide[i]));
    if (wide)
        ::LocalFree(wide);
    return args;
}

std::string writeAll(int fd, const std::string &text) {
    // The system's reason of the last failure, without a name before it.
    const auto reason = [] {
        const std::string m = win32::lastError("").message();
        return m.rfind(": ", 0) == 0 ? m.substr(2) : m;
    };
    const HANDLE h = handleOfChannel(fd);
    if (h == INVALID_HANDLE_VALUE || text.empty())
        return {};
    DWORD mode = 0;
    if (::GetConsoleMode(h, &mode)) {
        const std::wstring w = win32::wide(text);
        for (std::size_t done = 0; done < w.size();) {
            DWORD n = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(w.size() - done, 8192));
            if (!::WriteConsoleW(h, w.data() + done, chunk, &n, nullptr) || n == 0)
                return reason();
            done += n;
        }
        return {};
    }
    for (std::size_t done = 0; done < text.size();) {
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        if (!::WriteFile(h, text.data() + done, chunk, &n, nullptr) || n == 0)
            return reason();
        done += n;
    }
    return {};
}

std::optional<std::string> inputProblem(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::systemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ||
            err == ERROR_INVALID_NAME || err == ERROR_BAD_NETPATH)
            return win32::failure(path, err).message();
        return std::nullopt; // the operation reports it in its own words
    }
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return path + ": Not a regular file";
    return std::nullopt;
}

bool openStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (handleOfChannel(fd) != INVALID_HANDLE_VALUE &&
            reinterpret_cast<intptr_t>(handleOfChannel(fd)) != -2)
            continue;
        const int null = ::_open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (null < 0)
            return false;
        if (null != fd) {
            const int moved = ::_dup2(null, fd);
            ::_close(null);
            if (moved < 0)
                return false;
        }
    }
    return true;
}

void closeChannel(int fd) {
    ::_close(fd);
}

std::optional<std::string> readTyped(int fd) {
    const HANDLE in = handleOfChannel(fd);
    DWORD mode = 0;
    if (!::GetConsoleMode(in, &mode)) {
        char ch;
        if (::_read(fd, &ch, 1) <= 0)
            return std::nullopt; // end of input
        return std::string(1, ch);
    }
    const DWORD ready = ::WaitForSingleObject(in, 200);
    if (ready == WAIT_TIMEOUT)
        return std::string();
    if (ready != WAIT_OBJECT_0)
        return std::nullopt;
    // Waits for Enter; Ctrl+C ends the read with nothing read.
    wchar_t text[256];
    DWORD n = 0;
    if (!::ReadConsoleW(in, text, 256, &n, nullptr) || n == 0)
        return std::string();
    return win32::narrow(std::wstring_view(text, n));
}

std::size_t terminalWidth(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(handleOfChannel(fd), &info) &&
        info.srWindow.Right >= info.srWindow.Left)
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    return 80;
}

// The console knows no "erase to the end of the line" here.
std::string_view eraseToLineEnd() {
    return {};
}

// Questions need the console on standard input or standard error: a script
// with both redirected is never asked.
Console::Channels Console::processChannels() {
    Channels c;
    c.errIsTerminal = isConsole(2);
    if (isConsole(0)) {
        c.askIn = 0;
        if (c.errIsTerminal) {
            c.askOut = 2;
        } else {
            c.owned = openConsole(L"CONOUT$");
            c.askOut = c.owned >= 0 ? c.owned : 2;
        }
    } else if (c.errIsTerminal) {
        c.owned = openConsole(L"CONIN$");
        c.askIn = c.owned;
        c.askOut = c.owned >= 0 ? 2 : -1;
    }
    return c;
}

} // namespace dorvik::cli
