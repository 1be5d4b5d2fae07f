#include "splitter/engine/rangehasher.h"

#include "platform/translate.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace dorvik::engine {

using platform::Status;

RangeHasher::RangeHasher(std::size_t chunkBytes)
    : chunkBytes_(std::max<std::size_t>(chunkBytes, 1)) {
    try {
        thread_ = std::thread(&RangeHasher::run, this);
    } catch (const std::system_error &e) {
        status_ = Status::failure(
            platform::fill(DORVIK_TEXT("Checksums", "Hashing thread: %1"), {e.what()}));
        ended_ = true; // nobody may wait for it to hash anything
    }
}

RangeHasher::~RangeHasher() {
    if (!stopped_)
        abandon();
}

void RangeHasher::push(Item item) {
    if (stopped_)
        return;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(item));
    }
    wake_.notify_one();
}

void RangeHasher::add(const platform::File &file, std::int64_t offset, std::int64_t length,
                      bool alsoWhole) {
    openDigest_ = true;
    wholeUsed_ = wholeUsed_ || alsoWhole;
    if (!stopped_ && length > 0) {
        std::lock_guard lock(mutex_);
        backlog_ += length;
    }
    push(Item{Item::Kind::Range, &file, offset, length, alsoWhole});
}

void RangeHasher::waitForBacklogBelow(std::int64_t bytes) {
    std::unique_lock lock(mutex_);
    hashed_.wait(lock, [&] { return backlog_ < bytes || ended_ || abandoned_; });
}

void RangeHasher::addBytes(std::string bytes) {
    openDigest_ = true;
    push(Item{Item::Kind::Bytes, nullptr, 0, 0, false, std::move(bytes)});
}

void RangeHasher::cut() {
    openDigest_ = false;
    push(Item{});
}

// The thread: takes the items in order until the queue is drained after
// finish(), abandon() is called or a read fails; the failure stays in status_
// and nothing after it is hashed.
void RangeHasher::run() {
    std::vector<unsigned char> buffer;
    Sha256 hash;
    // However the thread ends, nobody may wait for it to hash more.
    struct Ended {
        RangeHasher &h;
        ~Ended() {
            {
                std::lock_guard lock(h.mutex_);
                h.ended_ = true;
            }
            h.hashed_.notify_all();
        }
    } ended{*this};
    for (;;) {
        Item item;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty() || closing_ || abandoned_; });
            if (abandoned_ || queue_.empty())
                return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        switch (item.kind) {
        case Item::Kind::Range:
            if (Status s = hashRange(item, hash, buffer); !s) {
                status_ = s;
                return;
            }
            break;
        case Item::Kind::Bytes:
            hash.update(item.bytes);
            break;
        case Item::Kind::Cut:
            digests_.push_back(hash.finish());
            break;
        }
    }
}

// hashRange: reads the range chunk by chunk, looking for abandon() between
// chunks. A negative offset or length is refused rather than read as nothing.
Status RangeHasher::hashRange(const Item &item, Sha256 &hash, std::vector<unsigned char> &buffer) {
    if (item.offset < 0 || item.length < 0)
        return Status::fromErrno(item.file->path(), EINVAL);
    if (buffer.empty())
        buffer.resize(chunkBytes_);
    std::int64_t offset = item.offset, left = item.length;
    while (left > 0) {
        if (abandoned_.load(std::memory_order_relaxed))
            return Status::stopped();
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, chunkBytes_));
        if (Status s = item.file->readAt(offset, buffer.data(), n); !s)
            return s;
        if (item.alsoWhole)
            Sha256::updateBoth(hash, whole_, buffer.data(), n);
        else
            hash.update(buffer.data(), n);
        offset += static_cast<std::int64_t>(n);
        left -= static_cast<std::int64_t>(n);
        {
            std::lock_guard lock(mutex_);
            backlog_ -= static_cast<std::int64_t>(n);
        }
        hashed_.notify_all();
    }
    return {};
}

// stop: tells the thread there is nothing more (and, abandoning, to drop what
// is left) and waits for it to end.
void RangeHasher::stop(bool abandoning) {
    if (stopped_)
        return;
    {
        std::lock_guard lock(mutex_);
        if (abandoning)
            abandoned_ = true;
        else if (openDigest_)
            queue_.push_back(Item{});
        closing_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    stopped_ = true;
}

Status RangeHasher::finish(std::vector<Sha256::Digest> &digests,
                           std::optional<Sha256::Digest> *whole) {
    stop(false);
    digests.clear();
    if (whole)
        whole->reset();
    if (abandoned_)
        return Status::stopped();
    if (!status_)
        return status_;
    digests = digests_;
    if (wholeUsed_ && !wholeDigest_)
        wholeDigest_ = whole_.finish();
    if (whole)
        *whole = wholeDigest_;
    return {};
}

void RangeHasher::abandon() {
    stop(true);
}

} // namespace dorvik::engine
