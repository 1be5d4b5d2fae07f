#include "platform/status.h"

#include <cstring>

namespace dorvik::platform {

Status Status::fromErrno(const std::string &path, int errnum) {
    return failure(path + ": " + std::strerror(errnum));
}

} // namespace dorvik::platform
