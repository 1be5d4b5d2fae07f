#include "splitter/windows/progress.h"

#include "platform/widgets/operationrunner.h"
#include "platform/widgets/progressdialog.h"
#include "splitter/engine/format.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace dorvik::splitter {

using engine::Activity;

QString activityLine(const engine::Progress &p, const ProgressNames &names) {
    switch (p.activity) {
    case Activity::Splitting:
        return QCoreApplication::translate("Progress", "Splitting %1 into %2 pieces")
            .arg(names.fileName, QString::number(p.pieces));
    case Activity::CopyingToDisk:
        return QCoreApplication::translate("Progress", "Writing disk %1 of %2")
            .arg(std::max(p.piece, 1))
            .arg(p.pieces);
    case Activity::Joining:
        return QCoreApplication::translate("Progress", "Joining %1").arg(names.fileName);
    case Activity::DeletingPieces:
        return QCoreApplication::translate("Progress", "Deleting the pieces");
    case Activity::CopyingToTarget:
        return QCoreApplication::translate("Progress", "Copying %1 to %2")
            .arg(QString::fromStdString(p.file), names.target);
    case Activity::Checking:
        return QCoreApplication::translate("Progress", "Checking %1").arg(names.fileName);
    }
    return QString();
}

QString detailLine(const engine::Progress &p, const ProgressNames &names) {
    switch (p.activity) {
    case Activity::Splitting:
    case Activity::Joining:
    case Activity::Checking:
        if (p.piece < 1)
            return QString();
        return QCoreApplication::translate("Progress", "Piece %1 of %2").arg(p.piece).arg(p.pieces);
    case Activity::CopyingToDisk:
        if (p.piece < 1)
            return QString();
        return QString::fromStdString(engine::pieceName(names.baseName.toStdString(), p.piece - 1));
    case Activity::DeletingPieces:
    case Activity::CopyingToTarget:
        break;
    }
    return QString();
}

namespace {

QString decimal(double value) {
    return QLocale().toString(value, 'f', value < 100 ? 1 : 0);
}

QString speed(double bytesPerSecond) {
    if (bytesPerSecond >= 1e9)
        return QCoreApplication::translate("Progress", "%1 GB/s")
            .arg(decimal(bytesPerSecond / 1e9));
    if (bytesPerSecond >= 1e6)
        return QCoreApplication::translate("Progress", "%1 MB/s")
            .arg(decimal(bytesPerSecond / 1e6));
    if (bytesPerSecond >= 1e3)
        return QCoreApplication::translate("Progress", "%1 kB/s")
            .arg(decimal(bytesPerSecond / 1e3));
    return QCoreApplication::translate("Progress", "%1 bytes/s").arg(std::llround(bytesPerSecond));
}

QString timeLeft(double seconds) {
    const long long s = std::max(1LL, static_cast<long long>(std::ceil(seconds)));
    if (s < 60)
        return QCoreApplication::translate("Progress", "about %1 s left").arg(s);
    if (s < 3600)
        return s % 60 ? QCoreApplication::translate("Progress", "about %1 min %2 s left")
                            .arg(s / 60)
                            .arg(s % 60)
                      : QCoreApplication::translate("Progress", "about %1 min left").arg(s / 60);
    const long long minutes = (s + 59) / 60;
    return minutes % 60
               ? QCoreApplication::translate("Progress", "about %1 h %2 min left")
                     .arg(minutes / 60)
                     .arg(minutes % 60)
               : QCoreApplication::translate("Progress", "about %1 h left").arg(minutes / 60);
}

} // namespace

QString rateLine(double bytesPerSecond, double secondsLeft) {
    return QCoreApplication::translate("Progress", "%1, %2")
        .arg(speed(bytesPerSecond), timeLeft(secondsLeft));
}

void Throughput::restart() {
    *this = Throughput();
}

void Throughput::sample(double seconds, std::int64_t done) {
    const double span = seconds - lastSeconds_;
    if (span < 0.25 || done < lastDone_)
        return;
    const double now = static_cast<double>(done - lastDone_) / span;
    // Smoothed, so that one slow or fast round does not make the figures jump.
    rate_ = haveRate_ ? 0.7 * rate_ + 0.3 * now : now;
    haveRate_ = true;
    lastSeconds_ = seconds;
    lastDone_ = done;
}

std::optional<double> Throughput::bytesPerSecond() const {
    if (!haveRate_ || lastSeconds_ < 1.5 || rate_ <= 0)
        return std::nullopt;
    return rate_;
}

OperationMonitor::OperationMonitor(widgets::OperationRunner &runner, ProgressNames names)
    : runner_(runner), names_(std::move(names)) {
    runner_.setRefresh([this](widgets::ProgressDialog &dialog) { show(dialog); });
}

namespace {

// Whether `next` begins another activity, or another disk, than `last`.
bool startsAnew(const engine::Progress &last, const engine::Progress &next) {
    return next.activity != last.activity || next.total != last.total || next.done < last.done;
}

} // namespace

void OperationMonitor::progress(const engine::Progress &progress) {
    {
        std::lock_guard lock(mutex_);
        if (latest_ && startsAnew(*latest_, progress))
            ended_.push_back(*latest_);
        latest_ = progress;
    }
    fresh_.store(true, std::memory_order_release);
}

bool OperationMonitor::stopRequested() {
    return runner_.stopRequested();
}

void OperationMonitor::show(widgets::ProgressDialog &dialog) {
    if (!fresh_.exchange(false, std::memory_order_acquire))
        return;
    std::vector<engine::Progress> reports;
    {
        std::lock_guard lock(mutex_);
        reports.swap(ended_);
        if (latest_)
            reports.push_back(*latest_);
    }
    for (const engine::Progress &p : reports)
        display(dialog, p, names_);
}

void OperationMonitor::display(widgets::ProgressDialog &dialog, const engine::Progress &p,
                               const ProgressNames &names) {
    // A new activity, or the next disk, starts its figures anew.
    if (!shownAny_ || startsAnew(shown_, p)) {
        throughput_.restart();
        clock_.start();
        dialog.setRate(QString());
    }
    shownAny_ = true;
    shown_ = p;

    dialog.setActivity(activityLine(p, names));
    dialog.setDetail(detailLine(p, names));
    dialog.setBytes(p.done, p.total);
    dialog.setCancellable(p.cancellable);
    throughput_.sample(static_cast<double>(clock_.elapsed()) / 1000.0, p.done);
    if (const std::optional<double> rate = throughput_.bytesPerSecond(); rate && p.done < p.total)
        dialog.setRate(rateLine(*rate, static_cast<double>(p.total - p.done) / *rate));
}

} // namespace dorvik::splitter
