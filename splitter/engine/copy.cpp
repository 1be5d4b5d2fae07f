#include "splitter/engine/copy.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace dorvik::engine::detail {

namespace {

using platform::Status;

// Makes `out` at least `end` bytes long (the range may end in a hole).
Status extendTo(platform::File &out, std::int64_t end) {
    Status s;
    const std::optional<std::int64_t> length = out.length(&s);
    if (!length)
        return s;
    if (*length >= end)
        return {};
    int rc;
    do {
        rc = ::ftruncate(out.descriptor(), static_cast<off_t>(end));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return Status::fromErrno(out.path(), errno);
    return {};
}

} // namespace

// copyIntoNewFile: see the header. Data regions are found with SEEK_DATA and
// SEEK_HOLE; where the file system cannot tell them, the whole rest of the
// range is copied as it is.
Status copyIntoNewFile(const platform::File &in, std::int64_t inOffset, platform::File &out,
                       std::int64_t outOffset, std::int64_t length, std::int64_t blockSize,
                       platform::CopyMethod method) {
    const auto block = static_cast<std::size_t>(blockSize);
    if (method != platform::CopyMethod::Auto || length <= 0)
        return platform::copyRange(in, inOffset, out, outOffset, length, block, method);

    const std::int64_t end = inOffset + length;
    Status s;
    const std::optional<std::int64_t> inLength = in.length(&s);
    if (!inLength)
        return s;
    if (*inLength < end) // let the copy report the short file
        return platform::copyRange(in, inOffset, out, outOffset, length, block, method);

    std::int64_t pos = inOffset;
    while (pos < end) {
        const off_t data = ::lseek(in.descriptor(), static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end of the file
        off_t hole = data < 0 ? -1 : ::lseek(in.descriptor(), data, SEEK_HOLE);
        if (data < 0 || hole < 0) // holes unknown here: copy the rest whole
            return platform::copyRange(in, pos, out, outOffset + (pos - inOffset), end - pos, block,
                                       method);
        if (data >= end)
            break;
        const std::int64_t stop = std::min<std::int64_t>(hole, end);
        if (Status c = platform::copyRange(in, data, out, outOffset + (data - inOffset),
                                           stop - data, block, method);
            !c)
            return c;
        pos = stop;
    }
    return extendTo(out, outOffset + length);
}

} // namespace dorvik::engine::detail
