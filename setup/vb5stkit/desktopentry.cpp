#include "setup/vb5stkit/desktopentry.h"

#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/status.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::vb5stkit {

namespace {

using platform::currentDirectory;
using platform::homeDirectory;
using platform::Status;

// Makes `path` and its missing parents.
bool makeDirectories(const std::string &path, std::string *error) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            if (error)
                *error = Status::fromErrno(part, errno).message();
            return false;
        }
    }
    if (!platform::isDirectory(path)) {
        if (error)
            *error = path + ": not a directory";
        return false;
    }
    return true;
}

// A sub-menu name must stay inside the applications directory.
bool validFolder(std::string_view folder) {
    if (folder.empty())
        return true;
    if (folder.front() == '/')
        return false;
    std::size_t start = 0;
    while (start <= folder.size()) {
        std::size_t end = folder.find('/', start);
        if (end == std::string_view::npos)
            end = folder.size();
        const std::string_view part = folder.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// Puts `text` at `path`: written as a platform::NewFile beside it, readable
// by all, on the device, then put in place. On failure the temporary file is
// removed and an existing file at `path` is untouched.
Status replaceFile(const std::string &path, const std::string &text) {
    platform::Directory dir;
    if (Status s = dir.open(platform::directoryOf(path)); !s)
        return s;
    platform::NewFile file;
    Status s = file.create(dir, platform::fileNameOf(path), 0644, true);
    if (s)
        s = file.file().writeAt(0, text.data(), text.size());
    if (s)
        s = file.putInPlace(platform::Flush::Durable);
    return s;
}

} // namespace

std::optional<std::string> escapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            out += i == 0 ? "\\s" : " ";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                return std::nullopt;
            out += c;
        }
    }
    return out;
}

std::string quoteArgument(std::string_view argument) {
    std::string out = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
        case '\\':
            out += '\\';
            out += c;
            break;
        case '%':
            out += "%%";
            break;
        default:
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string commandLine(std::string_view program, std::string_view arguments) {
    std::string out = quoteArgument(program);
    std::size_t pos = 0;
    while (pos < arguments.size()) {
        const std::size_t start = arguments.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = arguments.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = arguments.size();
        out += ' ';
        out += quoteArgument(arguments.substr(start, end - start));
        pos = end;
    }
    return out;
}

std::optional<std::string> entryText(std::string_view caption, std::string_view program,
                                     std::string_view arguments) {
    const auto name = escapeValue(caption);
    const auto exec = escapeValue(commandLine(program, arguments));
    const auto tryExec = escapeValue(program);
    if (!name || !exec || !tryExec || caption.empty() || program.empty())
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=" +
           *name + "\n" + "Exec=" + *exec + "\n" + "TryExec=" + *tryExec + "\n" +
           "Terminal=false\n"
           "Categories=Utility;\n";
}

std::string entryFileName(std::string_view caption) {
    std::string out;
    for (const char c : caption) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += keep ? c : '_';
    }
    return out + ".desktop";
}

std::string applicationsDirectory() {
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/applications";
    const std::string home = homeDirectory();
    if (home.empty())
        return {};
    return home + "/.local/share/applications";
}

std::optional<std::string> writeEntry(std::string_view folder, std::string_view caption,
                                      std::string_view program, std::string_view arguments,
                                      std::string *error) {
    const auto fail = [&](std::string message) -> std::optional<std::string> {
        if (error)
            *error = std::move(message);
        return std::nullopt;
    };
    std::string programPath(program);
    if (!programPath.empty() && programPath.front() != '/') {
        const std::string cwd = currentDirectory();
        if (cwd.empty())
            return fail("the current directory is unknown");
        programPath = cwd + "/" + programPath;
    }
    const auto text = entryText(caption, programPath, arguments);
    if (!text)
        return fail("the entry cannot hold this caption or program path");
    if (!validFolder(folder))
        return fail(std::string(folder) + ": not a sub-menu name");

    std::string directory = applicationsDirectory();
    if (directory.empty())
        return fail("the home directory is unknown");
    if (!folder.empty())
        directory += "/" + std::string(folder);
    if (!makeDirectories(directory, error))
        return std::nullopt;

    const std::string path = directory + "/" + entryFileName(caption);
    if (const Status s = replaceFile(path, *text); !s)
        return fail(s.message());
    return path;
}

} // namespace dorvik::vb5stkit
