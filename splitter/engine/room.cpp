// The checks of the volumes a split or join is about to write on, and the
// disk the split's disk loop copies onto.
#include "platform/fs.h"
#include "platform/mounts.h"
#include "platform/translate.h"
#include "splitter/engine/report.h"
#include "splitter/engine/stages.h"

#include <string>
#include <vector>

namespace dorvik::engine::stages {

namespace {

// A file too large for its file system ends the run Refused with
// `consequence`; too little free space asks whether to go on, in `shortfall`
// (see platform::shortfallText).
std::optional<Stop> checkRoom(const std::vector<platform::PlannedWrite> &writes,
                              const std::string &shortfall, const std::string &consequence,
                              platform::Prompter &prompter) {
    const platform::RoomCheck room = platform::checkRoom(writes);
    if (room.tooLarge)
        return Stop{Outcome::Refused, platform::tooLargeReason(*room.tooLarge), consequence};
    if (!room.shortfalls.empty() &&
        prompter.ask(detail::infoMessage(platform::shortfallText(shortfall, room.shortfalls),
                                         "Dorvik", platform::Buttons::OkCancel)) !=
            platform::Answer::Ok)
        return Stop{Outcome::Cancelled, {}, {}};
    return std::nullopt;
}

} // namespace

std::optional<Stop> checkSplitRoom(const SplitPlan &plan, platform::Prompter &prompter) {
    const Layout &l = plan.layout;
    std::vector<platform::PlannedWrite> writes;
    for (int k = 0; k < l.N; ++k) {
        std::int64_t length = l.P;
        if (k == 0)
            length += static_cast<std::int64_t>(plan.trailerBytes.size());
        if (k == l.N - 1)
            length += l.R;
        writes.push_back({platform::joinRootAware(plan.shortTarget, plan.names[k]), length});
    }
    writes.push_back({plan.shortTarget, kSetAllowance});
    return checkRoom(
        writes,
        DORVIK_TEXT("Split", "Splitting needs %1 bytes on %2,\nbut only %3 bytes are free there."),
        DORVIK_TEXT("Split", "Choose more pieces or another directory; nothing was written."),
        prompter);
}

std::optional<Stop> checkJoinRoom(const PieceSet &set, const std::string &copyTarget,
                                  bool deletePieces, platform::Prompter &prompter) {
    const std::int64_t L = set.rebuiltLength;
    std::vector<platform::PlannedWrite> writes{{set.rebuiltPath, L}};
    if (!copyTarget.empty()) {
        const std::string copy = platform::joinRootAware(platform::shortenRootForTarget(copyTarget),
                                                         platform::fileNameOf(set.rebuiltPath));
        // A copy within a volume that clones takes no room; on another
        // volume, or one that does not, it needs the file's length again,
        // less what deleting the pieces before it frees on the same volume.
        const auto here = platform::volumeFacts(set.rebuiltPath);
        const auto there = platform::volumeFacts(copy);
        const bool sameVolume = here && there && here->device == there->device;
        if (!sameVolume || !platform::clonesCopies(there->type)) {
            writes.push_back({copy, L});
            if (deletePieces && sameVolume)
                writes.push_back({set.rebuiltPath, -L});
        }
    }
    return checkRoom(
        writes,
        DORVIK_TEXT("Join", "Joining needs %1 bytes on %2,\nbut only %3 bytes are free there."),
        DORVIK_TEXT("Join", "Nothing was joined; the pieces are untouched."), prompter);
}

platform::Status roomOnDisk(const std::string &dest, std::int64_t length) {
    const platform::RoomCheck room = platform::checkRoom({{dest, length}});
    if (room.tooLarge)
        return platform::Status::failure(platform::tooLargeReason(*room.tooLarge));
    if (!room.shortfalls.empty())
        return platform::Status::failure(platform::fill(
            DORVIK_TEXT("Split", "%1: the piece has %2 bytes, and only %3 bytes are free on %4."),
            {dest, std::to_string(length), std::to_string(room.shortfalls.front().available),
             room.shortfalls.front().mountPoint}));
    return {};
}

std::optional<std::string> findDisk(const SplitRequest &request, const std::string &name,
                                    platform::Prompter &prompter) {
    if (!request.floppyDirectory.empty())
        return request.floppyDirectory;
    for (;;) {
        const platform::DiskSearch search = platform::findRemovableDisk();
        if (!search.disk.empty())
            return search.disk;
        std::string text;
        if (search.candidates.empty()) {
            text = platform::fill(DORVIK_TEXT("Split", "No removable disk is mounted.\nRetry after "
                                                       "inserting the disk, or Cancel to skip the "
                                                       "piece %1."),
                                  {name});
        } else {
            std::string disks;
            for (std::size_t i = 0; i < search.candidates.size(); ++i)
                disks += (i ? ", " : "") + search.candidates[i];
            text = platform::fill(DORVIK_TEXT("Split", "Several removable disks are mounted: "
                                                       "%1.\nRetry after removing all but one, or "
                                                       "Cancel to skip the piece %2."),
                                  {disks, name});
        }
        if (prompter.ask(detail::infoMessage(text, "Dorvik", platform::Buttons::RetryCancel)) !=
            platform::Answer::Retry)
            return std::nullopt;
    }
}

} // namespace dorvik::engine::stages
