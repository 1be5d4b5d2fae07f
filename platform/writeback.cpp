#include "platform/writeback.h"

#include "platform/fsinternal.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace dorvik::platform {

namespace {

using Clock = std::chrono::steady_clock;

// How far the writer may run ahead of the flushes: this much of the disk's
// time, between the two bounds; the first flushes, before the disk's speed
// is known, use the smallest.
constexpr double kAheadSeconds = 0.05;
constexpr std::int64_t kAheadMin = 256 << 10;
constexpr std::int64_t kAheadMax = 256 << 20;
// How often a wait looks at its stop request.
constexpr auto kPoll = std::chrono::milliseconds(20);

} // namespace

// What the thread and the writer share; the thread keeps it alive after an
// abandon(). Positions count the bytes written to all files together.
struct Writeback::Shared {
    struct Followed {
        NativeHandle handle;
        std::string path;
        std::int64_t end = -1; // where its bytes end, once a newer file came
    };

    std::mutex mutex;
    std::condition_variable wake;    // for the thread: more to flush, or the end
    std::condition_variable flushed; // for the writer: a flush ended, or the thread
    std::deque<Followed> files;      // the thread's own handles, oldest first
    std::int64_t written = 0;        // bytes the writer told of
    std::int64_t onDisk = 0;         // bytes the flushes that ended covered
    std::int64_t ahead = kAheadMin;  // how far the writer may be ahead of onDisk
    std::int64_t flushedBytes = 0;   // the flushes' bytes and time so far
    double flushSeconds = 0;
    bool finishing = false; // flush each file once more, then end
    bool abandoned = false; // end after the flush under way
    bool done = false;
    Status failure;

    ~Shared() {
        for (const Followed &f : files)
            internal::closeHandle(f.handle);
    }

    // A flush is worth its fixed cost once half the allowance is written, or
    // when a file is complete.
    bool work() const {
        return abandoned || finishing || files.size() > 1 ||
               (!files.empty() && written - onDisk >= ahead / 2);
    }

    // The thread: see the class comment. It ends at the first failure.
    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return work(); });
            if (abandoned || files.empty())
                break;
            const Followed file = files.front();
            const bool complete = file.end >= 0 || finishing;
            const std::int64_t covers = file.end >= 0 ? file.end : written;
            lock.unlock();
            const Clock::time_point start = Clock::now();
            const Status s = internal::flushData(file.handle, file.path);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            lock.lock();
            if (!s) {
                failure = s;
                break;
            }
            // A flush also writes what came while it ran, so the next one may
            // seem to take no time: only the sums tell the disk's speed.
            flushedBytes += covers - onDisk;
            flushSeconds += seconds;
            if (flushedBytes >= kAheadMin && flushSeconds > 0)
                ahead = std::clamp<std::int64_t>(
                    static_cast<std::int64_t>(flushedBytes / flushSeconds * kAheadSeconds),
                    kAheadMin, kAheadMax);
            onDisk = std::max(onDisk, covers);
            if (complete) {
                internal::closeHandle(file.handle);
                files.pop_front();
            }
            flushed.notify_all();
        }
        done = true;
        flushed.notify_all();
    }
};

Writeback::Writeback(std::function<bool()> stopRequested)
    : stopRequested_(std::move(stopRequested)) {}

Writeback::~Writeback() {
    abandon();
}

void Writeback::follow(const File &file) {
    if (!file.isOpen())
        return;
    const NativeHandle handle = internal::duplicateHandle(file.descriptor());
    if (handle < 0)
        return; // nothing is flushed early; the run's own flush still is
    if (!shared_) {
        shared_ = std::make_shared<Shared>();
        try {
            std::thread([shared = shared_] { shared->run(); }).detach();
        } catch (const std::system_error &) {
            shared_.reset();
            internal::closeHandle(handle);
            return;
        }
    }
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->files.empty())
            shared_->files.back().end = shared_->written;
        shared_->files.push_back({handle, file.path()});
    }
    shared_->wake.notify_one();
}

void Writeback::wrote(std::int64_t bytes) {
    if (!shared_)
        return;
    bool wake;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->written += bytes;
        wake = shared_->work();
    }
    if (wake)
        shared_->wake.notify_one();
}

bool Writeback::keepUp() {
    if (!shared_)
        return true;
    std::unique_lock lock(shared_->mutex);
    while (!shared_->flushed.wait_for(lock, kPoll, [&] {
        return shared_->done || shared_->written - shared_->onDisk <= shared_->ahead;
    }))
        if (stopRequested_ && stopRequested_())
            return false;
    return true;
}

Status Writeback::finish() {
    if (!shared_)
        return {};
    std::unique_lock lock(shared_->mutex);
    shared_->finishing = true;
    shared_->wake.notify_one();
    while (!shared_->flushed.wait_for(lock, kPoll, [&] { return shared_->done; }))
        if (stopRequested_ && stopRequested_()) {
            lock.unlock();
            abandon();
            return Status::stopped();
        }
    const Status failure = shared_->failure;
    lock.unlock();
    shared_.reset();
    return failure;
}

void Writeback::abandon() {
    if (!shared_)
        return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->abandoned = true;
    }
    shared_->wake.notify_one();
    shared_.reset();
}

} // namespace dorvik::platform
