// Desktop entry files: the program-menu entries of freedesktop.org desktops.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dorvik::vb5stkit {

// A value of type string: backslash, line feed, tab and carriage return
// escaped, a leading blank as "\s". nullopt for other control characters,
// which a desktop entry cannot hold.
std::optional<std::string> escapeValue(std::string_view value);
// One argument of an Exec line, before value escaping: in double quotes,
// with '"', '`', '$' and '\' preceded by a backslash and '%' doubled.
std::string quoteArgument(std::string_view argument);
// The command line of an Exec key: the quoted program, then each blank-
// separated word of `arguments` quoted. Before value escaping.
std::string commandLine(std::string_view program, std::string_view arguments);
// The whole file; nullopt when a value cannot be written.
std::optional<std::string> entryText(std::string_view caption, std::string_view program,
                                     std::string_view arguments);
// File name for an entry with this caption: letters, digits, '-' and '_'
// kept, anything else as '_', then ".desktop".
std::string entryFileName(std::string_view caption);
// The user's applications directory; "" when neither $XDG_DATA_HOME (if
// absolute) nor the home directory is known.
std::string applicationsDirectory();

// Writes the entry into applicationsDirectory()/folder, making the
// directories, under a temporary name first and then renamed into place.
// Returns the path written, or nullopt with `error` set.
std::optional<std::string> writeEntry(std::string_view folder, std::string_view caption,
                                      std::string_view program, std::string_view arguments,
                                      std::string *error = nullptr);

} // namespace dorvik::vb5stkit
