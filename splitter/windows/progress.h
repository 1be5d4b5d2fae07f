// What the progress dialog says about a split or a join, and the monitor
// that carries the engine's progress from the worker to the dialog.
#pragma once

#include "splitter/engine/monitor.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace dorvik::widgets {
class OperationRunner;
class ProgressDialog;
} // namespace dorvik::widgets

namespace dorvik::splitter {

// The names the dialog's lines are made of.
struct ProgressNames {
    QString fileName; // the file split, or the first piece joined (name only)
    QString baseName; // the pieces' common start ("report.")
    QString target;   // the target directory as the directory field shows it
};

// First line: "Splitting report.doc into 7 pieces", "Writing disk 3 of 7",
// "Joining report.000", "Deleting the pieces", "Copying report.doc to /x".
QString activityLine(const engine::Progress &progress, const ProgressNames &names);
// Second line: "Piece 3 of 7" while pieces are written or read, the piece's
// name while it goes onto a disk; empty otherwise.
QString detailLine(const engine::Progress &progress, const ProgressNames &names);
// Third line: "45.2 MB/s, about 1 min 20 s left" (1000-based units, the
// locale's decimal point).
QString rateLine(double bytesPerSecond, double secondsLeft);

// Smoothed speed of one activity from samples of bytes done over time.
class Throughput {
public:
    // Starts anew (a new activity, or a new disk).
    void restart();
    // `done` bytes after `seconds` since the restart. Samples closer than a
    // quarter second to the one before are passed over.
    void sample(double seconds, std::int64_t done);
    // Bytes per second, once the activity has run for a second and a half
    // and has moved bytes; nullopt before.
    std::optional<double> bytesPerSecond() const;

private:
    double lastSeconds_ = 0;
    std::int64_t lastDone_ = 0;
    double rate_ = 0;
    bool haveRate_ = false;
};

// The engine's monitor for one run: the worker hands over each progress
// report and asks for a stop request; the window's thread shows the latest
// report in the dialog.
class OperationMonitor : public engine::Monitor {
public:
    OperationMonitor(widgets::OperationRunner &runner, ProgressNames names);

    // Worker side.
    void progress(const engine::Progress &progress) override;
    bool stopRequested() override;

    // Window side: shows the latest report in `dialog`, after the last
    // report of each activity (or disk) that ended since the last call, so
    // that every activity is seen to reach its total.
    void show(widgets::ProgressDialog &dialog);

private:
    void display(widgets::ProgressDialog &dialog, const engine::Progress &p,
                 const ProgressNames &names);

    widgets::OperationRunner &runner_;
    std::mutex mutex_; // guards latest_ and ended_
    std::optional<engine::Progress> latest_;
    std::vector<engine::Progress> ended_; // last reports of activities ended since show()
    const ProgressNames names_;
    std::atomic<bool> fresh_{false};
    // Window side only.
    bool shownAny_ = false;
    engine::Progress shown_;
    QElapsedTimer clock_;
    Throughput throughput_;
};

} // namespace dorvik::splitter
