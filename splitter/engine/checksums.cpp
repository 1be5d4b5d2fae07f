#include "splitter/engine/checksums.h"

#include "platform/translate.h"
#include "splitter/engine/checksumfile.h"
#include "splitter/engine/operations.h"

#include <algorithm>
#include <map>

namespace dorvik::engine {

namespace {

using platform::fill;
using platform::Status;

// A checksum file of 99 pieces with long names is some 40 KB; anything much
// larger is no checksum file of a set.
constexpr std::int64_t kLargestChecksumFile = 1 << 20;

// The rebuilt file's line is left out when its name is a piece's.
bool listsRebuilt(const std::vector<std::string> &pieceNames, const std::string &rebuiltName) {
    return std::find(pieceNames.begin(), pieceNames.end(), rebuiltName) == pieceNames.end();
}

std::vector<std::string> namesOf(const PieceSet &set) {
    std::vector<std::string> names;
    for (const std::string &piece : set.pieces)
        names.push_back(platform::fileNameOf(piece));
    return names;
}

// The SHA-256 of a whole file, read on a thread as a join would.
Status digestOf(const std::string &path, Sha256::Digest &digest) {
    platform::File in;
    if (Status s = in.open(path); !s)
        return s;
    Status s;
    const std::optional<std::int64_t> length = in.length(&s);
    if (!length)
        return s;
    RangeHasher hasher;
    hasher.add(in, 0, *length);
    std::vector<Sha256::Digest> digests;
    if (s = hasher.finish(digests); !s)
        return s;
    digest = digests.empty() ? Sha256().finish() : digests.front();
    return {};
}

// %1 the piece, %2 the checksum file's name.
std::string damagedPiece() {
    return DORVIK_TEXT("Checksums",
                       "%1: this piece is damaged; it does not match its checksum in %2.");
}

} // namespace

std::string checksumFileName(std::string_view firstPieceName) {
    return std::string(firstPieceName) + ".sha256";
}

std::string checksumText(const std::vector<std::string> &pieceNames, const std::string &rebuiltName,
                         const SetDigests &digests) {
    std::vector<ChecksumLine> lines;
    for (std::size_t k = 0; k < pieceNames.size() && k < digests.pieces.size(); ++k)
        lines.push_back({pieceNames[k], digests.pieces[k]});
    if (digests.rebuilt && listsRebuilt(pieceNames, rebuiltName))
        lines.push_back({rebuiltName, *digests.rebuilt});
    return formatChecksums(lines);
}

SetChecksums readSetChecksums(const PieceSet &set) {
    SetChecksums result;
    const std::string &first = set.pieces.front();
    result.path = checksumFileName(first);
    const std::string name = platform::fileNameOf(result.path);
    // `text`: %1 the checksum file, %2 `detail`.
    auto refuse = [&](const std::string &text, std::string_view detail = {}) {
        result.state = SetChecksums::State::Refused;
        result.reason = fill(text, {result.path, detail});
        return result;
    };
    if (!platform::exists(result.path))
        return result; // Absent

    platform::File in;
    Status s = in.open(result.path);
    std::optional<std::int64_t> length;
    if (s)
        length = in.length(&s);
    if (!s) {
        result.state = SetChecksums::State::Refused;
        result.reason = s.message();
        return result;
    }
    if (*length > kLargestChecksumFile)
        return refuse(DORVIK_TEXT(
            "Checksums", "%1: this is not the checksum file of the set; it is far too large."));
    std::string text(static_cast<std::size_t>(*length), '\0');
    if (s = in.readAt(0, text.data(), text.size()); !s) {
        result.state = SetChecksums::State::Refused;
        result.reason = s.message();
        return result;
    }
    const ParsedChecksums parsed = parseChecksums(text);
    if (!parsed.ok())
        return refuse(DORVIK_TEXT("Checksums", "%1: this is not a checksum file (%2)."),
                      parsed.error);

    std::map<std::string, Sha256::Digest> listed;
    for (const ChecksumLine &line : parsed.lines)
        if (!listed.emplace(line.name, line.digest).second)
            return refuse(DORVIK_TEXT("Checksums", "%1: the file lists %2 twice."), line.name);

    const std::vector<std::string> pieceNames = namesOf(set);
    const std::string rebuiltName = platform::fileNameOf(set.rebuiltPath);
    const bool withRebuilt = listsRebuilt(pieceNames, rebuiltName);
    std::vector<std::string> expected = pieceNames;
    if (withRebuilt)
        expected.push_back(rebuiltName);
    const bool namesFit = listed.size() == expected.size() &&
                          std::all_of(expected.begin(), expected.end(),
                                      [&](const std::string &n) { return listed.count(n) > 0; });
    if (!namesFit) {
        // A trailer whose count or name ending was changed makes the set
        // look like another one: then the first piece is what is damaged.
        const auto firstListed = listed.find(pieceNames.front());
        Sha256::Digest actual{};
        if (firstListed != listed.end() && digestOf(first, actual) &&
            actual != firstListed->second) {
            result.state = SetChecksums::State::Refused;
            result.pieceDamaged = true;
            result.reason = fill(damagedPiece(), {first, name});
            return result;
        }
        std::string stranger;
        for (const auto &entry : listed)
            if (std::find(expected.begin(), expected.end(), entry.first) == expected.end()) {
                stranger = entry.first;
                break;
            }
        if (!stranger.empty())
            return refuse(
                DORVIK_TEXT("Checksums", "%1: the file lists %2, which is not of this piece set."),
                stranger);
        for (const std::string &n : expected)
            if (!listed.count(n))
                return refuse(
                    DORVIK_TEXT("Checksums", "%1: the file does not list %2 of this piece set."),
                    n);
    }

    result.state = SetChecksums::State::Usable;
    result.id = in.id();
    for (const std::string &n : pieceNames)
        result.digests.pieces.push_back(listed.at(n));
    if (withRebuilt)
        result.digests.rebuilt = listed.at(rebuiltName);
    return result;
}

std::optional<std::string> firstMismatch(const PieceSet &set, const SetChecksums &expected,
                                         const SetDigests &found) {
    const std::string name = platform::fileNameOf(expected.path);
    for (std::size_t k = 0; k < set.pieces.size(); ++k)
        if (k >= found.pieces.size() || k >= expected.digests.pieces.size() ||
            found.pieces[k] != expected.digests.pieces[k])
            return fill(damagedPiece(), {set.pieces[k], name});
    if (expected.digests.rebuilt && found.rebuilt != expected.digests.rebuilt)
        return fill(DORVIK_TEXT("Checksums", "%1: the file joined from the pieces does not match "
                                             "its checksum in %2."),
                    {set.rebuiltPath, name});
    return std::nullopt;
}

std::string nothingWrittenOrDeleted(const SetChecksums &checksums) {
    if (checksums.state == SetChecksums::State::Refused && !checksums.pieceDamaged)
        return fill(DORVIK_TEXT("Checksums", "Nothing was written or deleted. Removing %1 lets "
                                             "the set join without this check."),
                    {platform::fileNameOf(checksums.path)});
    return DORVIK_TEXT("Checksums", "Nothing was written or deleted.");
}

} // namespace dorvik::engine
