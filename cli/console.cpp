#include "cli/console.h"

#include "cli/stop.h"
#include "cli/system.h"

#include <cstdio>

namespace dorvik::cli {

namespace {

std::string megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

// A message that cannot be written has nowhere left to be told of.
void Console::message(const std::string &text) {
    clearProgress();
    (void)writeAll(c_.err, std::string(kProgram) + ": " + text + "\n");
}

void Console::question(const std::string &text) {
    clearProgress();
    (void)writeAll(canAsk() ? c_.askOut : c_.err, std::string(kProgram) + ": " + text + "\n");
}

bool Console::report(const std::string &text) {
    if (const std::string failed = writeAll(c_.out, text); !failed.empty()) {
        message("write error: " + failed);
        return false;
    }
    return true;
}

std::string progressText(const engine::Progress &p) {
    const std::string amount = megabytes(p.done) + " of " + megabytes(p.total) + " MB";
    const std::string percent =
        p.total > 0 ? " (" + std::to_string(p.done * 100 / p.total) + "%)" : std::string();
    const std::string of = std::to_string(p.piece) + " of " + std::to_string(p.pieces);
    switch (p.activity) {
    case engine::Activity::Splitting:
        return "Splitting: piece " + of + ", " + amount + percent;
    case engine::Activity::Joining:
        return "Joining: piece " + of + ", " + amount + percent;
    case engine::Activity::CopyingToDisk:
        return "Copying to disk #" + std::to_string(p.piece) + ": " + amount + percent;
    case engine::Activity::DeletingPieces:
        return "Deleting the pieces";
    case engine::Activity::CopyingToTarget:
        return "Copying into the target directory: " + amount + percent;
    case engine::Activity::Checking:
        return "Checking: piece " + of + ", " + amount + percent;
    }
    return {};
}

void ProgressMonitor::progress(const engine::Progress &p) {
    activity_ = p.activity;
    if (quiet_)
        return;
    const auto now = std::chrono::steady_clock::now();
    const bool news =
        !last_ || last_->activity != p.activity || last_->piece != p.piece || p.done == p.total;
    if (!news && now - lastShown_ < std::chrono::milliseconds(100))
        return;
    last_ = p;
    lastShown_ = now;
    console_.showProgress(progressText(p));
}

bool ProgressMonitor::stopRequested() {
    return stopFlag_ || stopSignal() != 0;
}

} // namespace dorvik::cli
