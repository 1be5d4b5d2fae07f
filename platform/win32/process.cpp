#include "platform/process.h"

#include "platform/win32/win32.h"

namespace dorvik::platform {

// Windows has no file-size signal. What it has instead is a window the
// system opens when a drive without a medium is touched ("There is no disk
// in the drive"); it is turned off so that the call fails and is reported
// like any other failure.
void ignoreFileSizeSignal() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

} // namespace dorvik::platform
