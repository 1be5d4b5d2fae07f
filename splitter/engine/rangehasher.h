// SHA-256 of what a copy has just written, computed on a thread of its own so
// that the copy does not wait for it.
#pragma once

#include "platform/fs.h"
#include "platform/status.h"
#include "splitter/engine/sha256.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace dorvik::engine {

// Hashes, on a thread of its own and in the order given, byte ranges of open
// files and literal bytes; cut() ends one digest and starts the next. Ranges
// may also go into the whole digest, one message across all cuts, hashed
// from the same read (Sha256::updateBoth). What is
// queued is the range, not its bytes: the thread reads them itself with
// File::readAt, `chunkBytes` at a time. The caller keeps every File open (and
// where it is) until finish() or abandon() returned. Called from one thread.
class RangeHasher {
public:
    // Reading a warm file in chunks of 32 KiB to 4 MiB hashes it at the same
    // speed; 256 KiB leaves room in a core's L2 cache for the copy's buffers.
    static constexpr std::size_t kDefaultChunk = 256 * 1024;

    // Starts the thread.
    explicit RangeHasher(std::size_t chunkBytes = kDefaultChunk);
    // abandon() if finish() was not called.
    ~RangeHasher();
    RangeHasher(const RangeHasher &) = delete;
    RangeHasher &operator=(const RangeHasher &) = delete;

    // Queues `length` bytes of `file` from `offset`, with `alsoWhole` for
    // the whole digest as well; never waits for the thread. A file shorter
    // than the range is a read error.
    void add(const platform::File &file, std::int64_t offset, std::int64_t length,
             bool alsoWhole = false);
    // Queues literal bytes.
    void addBytes(std::string bytes);
    // Ends the current digest (that of nothing, when nothing was added since
    // the last cut) and starts the next.
    void cut();
    // Waits until everything queued is hashed and ends the thread. Gives the
    // digests in cut order, a final cut implied when add() or addBytes() was
    // called since the last one, and in `whole` (when given) the whole
    // digest, or nullopt when no range went into it. A read error comes back as "name: reason"
    // of the file, and no digests; after abandon(), Status::stopped().
    // Nothing is queued any more afterwards; a second call answers the same.
    platform::Status finish(std::vector<Sha256::Digest> &digests,
                            std::optional<Sha256::Digest> *whole = nullptr);
    // Stops the thread at its next chunk at the latest and waits for it;
    // nothing is reported.
    void abandon();
    // Waits while more than `bytes` bytes of queued ranges are not hashed
    // yet (and the thread still runs): a copy faster than the hashing is held
    // back so that it neither runs far ahead of what is checked (its progress
    // would then end long before its work) nor leaves the pages to hash to
    // be pushed out of the cache.
    void waitForBacklogBelow(std::int64_t bytes);

private:
    struct Item {
        enum class Kind { Range, Bytes, Cut };
        Kind kind = Kind::Cut; // an Item{} is a cut
        const platform::File *file = nullptr;
        std::int64_t offset = 0;
        std::int64_t length = 0;
        bool alsoWhole = false;
        std::string bytes = {};
    };

    void push(Item item);
    void run();
    platform::Status hashRange(const Item &item, Sha256 &hash, std::vector<unsigned char> &buffer);
    void stop(bool abandoning);

    const std::size_t chunkBytes_;
    bool openDigest_ = false; // caller's side: something was added since the last cut
    bool wholeUsed_ = false;  // caller's side: a range went into the whole digest
    bool stopped_ = false;    // caller's side: finish() or abandon() was called

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> queue_; // guarded by mutex_
    bool closing_ = false;   // guarded by mutex_: nothing more comes
    std::atomic<bool> abandoned_{false};
    std::int64_t backlog_ = 0; // guarded by mutex_: bytes of queued ranges not hashed yet
    bool ended_ = false;       // guarded by mutex_: the thread has returned
    std::condition_variable hashed_;

    // The thread's results, read by the caller once it has ended.
    std::vector<Sha256::Digest> digests_;
    Sha256 whole_;
    std::optional<Sha256::Digest> wholeDigest_; // once finish() asked for it
    platform::Status status_;
    std::thread thread_;
};

} // namespace dorvik::engine
