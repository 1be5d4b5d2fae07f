#include "setup/shelllink.h"

#include <dlfcn.h>

namespace dorvik::setup {

bool callShellLinkLibrary(const std::string &libraryPath, const ShellLinkCall &call) {
    // A name without a separator would make the loader search its paths.
    if (libraryPath.find('/') == std::string::npos)
        return false;
    void *handle = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    using Function = int (*)(const char *, const char *, const char *, const char *);
    auto function = reinterpret_cast<Function>(::dlsym(handle, "fCreateShellLink"));
    bool ok = false;
    if (function)
        ok = function(call.folder.c_str(), call.caption.c_str(), call.program.c_str(),
                      call.arguments.c_str()) != 0;
    ::dlclose(handle);
    return ok;
}

} // namespace dorvik::setup
