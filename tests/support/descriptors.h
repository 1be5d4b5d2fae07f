// How many descriptors this process has open: a test of a leak compares the
// count before and after.
#pragma once

#include <dirent.h>

namespace dorvik::testing {

inline int openDescriptors() {
    int n = 0;
    if (DIR *d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
}

} // namespace dorvik::testing
