// The Win32 side of dorvik-cli: the arguments in UTF-16, the console
// (written in UTF-16, so that any name shows as it is), and files and pipes
// written byte for byte.
#include "cli/system.h"
#include "cli/console.h"
#include "cli/run.h"
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

std::string trimmed(const std::string &s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// The console's width in characters, 80 when it cannot be told.
std::size_t consoleWidth(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(handleOfChannel(fd), &info) &&
        info.srWindow.Right >= info.srWindow.Left)
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    return 80;
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

Console::~Console() {
    clearProgress();
    if (c_.owned >= 0)
        ::_close(c_.owned);
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

std::optional<std::string> Console::readAnswer(const std::string &prompt,
                                               const std::function<bool()> &stop) {
    if (!canAsk())
        return std::nullopt;
    clearProgress();
    writeAll(c_.askOut, prompt);
    const HANDLE in = handleOfChannel(c_.askIn);
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(in, &mode) != 0;
    std::string line;
    for (;;) {
        if (stop && stop())
            break;
        if (console) {
            const DWORD ready = ::WaitForSingleObject(in, 200);
            if (ready == WAIT_TIMEOUT)
                continue;
            if (ready != WAIT_OBJECT_0)
                break;
            // Waits for Enter; Ctrl+C ends the read with nothing read.
            wchar_t text[256];
            DWORD n = 0;
            if (!::ReadConsoleW(in, text, 256, &n, nullptr) || n == 0) {
                if (stop && stop())
                    break;
                continue;
            }
            line += win32::narrow(std::wstring_view(text, n));
        } else {
            char ch;
            const int n = ::_read(c_.askIn, &ch, 1);
            if (n <= 0)
                break; // end of input
            line += ch;
        }
        if (const auto end = line.find('\n'); end != std::string::npos)
            return trimmed(line.substr(0, end));
    }
    // No answer: end the prompt's line so that what follows starts afresh.
    writeAll(c_.askOut, "\n");
    return std::nullopt;
}

// The console knows no "erase to the end of the line" here: the line is
// overwritten with blanks instead.
void Console::showProgress(const std::string &line) {
    if (!c_.errIsTerminal)
        return;
    const std::size_t width = consoleWidth(c_.err);
    std::string shown = line.substr(0, width > 1 ? width - 1 : 0);
    shown.resize(width > 1 ? width - 1 : 0, ' ');
    writeAll(c_.err, "\r" + shown);
    progressShown_ = true;
}

void Console::clearProgress() {
    if (!progressShown_)
        return;
    const std::size_t width = consoleWidth(c_.err);
    writeAll(c_.err, "\r" + std::string(width > 1 ? width - 1 : 0, ' ') + "\r");
    progressShown_ = false;
}

} // namespace dorvik::cli
