#include "splitter/windows/commandline.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace dorvik::splitter {

namespace {

constexpr const char *kHelp = "Usage: Dorvik [FILE]\n"
                              "Splits a file into numbered pieces and joins the pieces again.\n"
                              "\n"
                              "FILE is shown as if chosen with Browse: a file to split, or the\n"
                              "first piece (a name ending in 000) of a set to join.\n"
                              "\n"
                              "  -h, --help     show this help and end\n"
                              "      --version  show the version and end\n";

CommandLine refuse(const std::string &why) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.text = "Dorvik: " + why + " (see Dorvik --help)\n";
    line.status = 2;
    return line;
}

CommandLine print(std::string text) {
    CommandLine line;
    line.action = CommandLine::Action::Print;
    line.text = std::move(text);
    return line;
}

} // namespace

CommandLine readCommandLine(int argc, const char *const *argv) {
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            return print(kHelp);
        } else if (options && argument == "--version") {
            return print("Dorvik " DORVIK_VERSION "\n");
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            return refuse("unknown option " + std::string(argument));
        } else if (line.file) {
            return refuse("one file at a time");
        } else {
            line.file = std::string(argument);
        }
    }
    return line;
}

int finish(const CommandLine &line) {
    if (line.action == CommandLine::Action::Refuse) {
        std::fputs(line.text.c_str(), stderr);
        return line.status;
    }
    if (std::fputs(line.text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "Dorvik: standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return line.status;
}

} // namespace dorvik::splitter
