// Moving bytes between two open files on Win32: one buffer in the process,
// in the same aligned rounds as on Linux, whatever the method asks for
// (Windows has no splice and no kernel copy between two open files). Into a
// new file, a round that read nothing but zeros is not written, only
// reached by the file's length: it stays a hole where the file system makes
// one (and reads as zeros where it does not), so a sparse source is copied
// without writing its holes out.
#include "platform/copy.h"
#include "platform/translate.h"

#include "platform/directory.h"
#include "platform/file.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"
#include "platform/win32/win32.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace dorvik::platform {

namespace {

bool allZero(const char *p, std::size_t n) {
    return std::all_of(p, p + n, [](char c) { return c == 0; });
}

// Makes `out` at least `end` bytes long (the range may end in a hole).
Status extendTo(File &out, std::int64_t end) {
    Status s;
    const std::optional<std::int64_t> length = out.length(&s);
    if (!length)
        return s;
    if (*length >= end)
        return {};
    FILE_END_OF_FILE_INFO eof{};
    eof.EndOfFile.QuadPart = end;
    if (!::SetFileInformationByHandle(win32::handleOf(out.descriptor()), FileEndOfFileInfo, &eof,
                                      sizeof eof))
        return win32::lastError(out.path());
    return {};
}

// One copy call: the two files, the buffer, the source's length when it
// began, and the observer.
class Copier {
public:
    Copier(const File &in, File &out, CopyObserver *observer)
        : in_(in), out_(out), observer_(observer) {}

    // Notes the source's length; it must hold the range up to `end`.
    Status begin(std::int64_t end) { return source_.begin(in_, end); }
    // Fails when the source's length is no longer what it was at begin().
    Status checkUnchanged() const { return source_.checkUnchanged(); }

    // Reads and writes `length` bytes from `inPos` to `outPos`, round by
    // round; with `skipZeros`, a round of zeros is left unwritten.
    Status range(std::int64_t inPos, std::int64_t outPos, std::int64_t length, bool skipZeros) {
        const std::int64_t outEnd = outPos + length;
        const auto need = static_cast<std::size_t>(std::min(kCopyRoundBytes, length));
        if (buffer_.size() < need)
            buffer_.resize(need);
        const auto round = static_cast<std::int64_t>(buffer_.size());
        while (outPos < outEnd) {
            internal::beforeRound();
            const std::int64_t size = internal::roundEnd(outPos, outEnd, round) - outPos;
            const auto n = static_cast<std::size_t>(size);
            if (Status s = in_.readAt(inPos, buffer_.data(), n); !s) {
                if (Status changed = checkUnchanged(); !changed)
                    return changed;
                return s;
            }
            // A round left a hole is told of once the file reaches past it,
            // so that every range the observer hears of reads back as what it
            // stands for (the checksums read the rounds back).
            if (!skipZeros || !allZero(buffer_.data(), n)) {
                if (Status s = out_.writeAt(outPos, buffer_.data(), n); !s)
                    return s;
            } else if (Status s = extendTo(out_, outPos + size); !s) {
                return s;
            }
            inPos += size;
            outPos += size;
            if (observer_ && !observer_->copied(size))
                return Status::stopped();
        }
        return {};
    }

private:
    const File &in_;
    File &out_;
    CopyObserver *observer_;
    internal::SourceLength source_;
    std::vector<char> buffer_;
};

Status copy(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
            std::int64_t length, CopyObserver *observer, bool intoNew) {
    if (length < 0)
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: negative length to copy"), {in.path()}));
    if (length == 0)
        return {};
    Copier copier(in, out, observer);
    if (Status s = copier.begin(inOffset + length); !s)
        return s;
    if (Status s = copier.range(inOffset, outOffset, length, intoNew); !s)
        return s;
    return copier.checkUnchanged();
}

} // namespace

Status copyRange(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                 std::int64_t length, CopyMethod, CopyObserver *observer) {
    return copy(in, inOffset, out, outOffset, length, observer, false);
}

Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, CopyMethod method, CopyObserver *observer) {
    return copy(in, inOffset, out, outOffset, length, observer, method != CopyMethod::Buffered);
}

} // namespace dorvik::platform
