// Writing a file's chunks on a thread of its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/BackgroundJob.h"
#include "platform/FileSystem.h"

namespace qx {

// Writes chunks to a file on a thread of its own, so that the next chunks are
// put together while the ones before go to the file. A few chunks wait in
// line: the writing thread goes from one to the next without waiting to be
// handed each, and the thread putting them together waits only when the line
// is full.
class ChunkWriter {
public:
    explicit ChunkWriter(sys::OutputFile& out) : out_(out), startedOut_(out.Position()) {
        // The writing thread only writes; this one starts writing out what it
        // wrote, while it would wait anyway.
        out_.SetWriteBehind(false);
        job_.Start([this] { Drain(); });
    }
    ~ChunkWriter() {
        try {
            Finish();
        } catch (...) {
        }
        out_.SetWriteBehind(true);
    }

    // Takes `chunk` to write (and gives back an emptied buffer in its place).
    // false when a write before failed; out's error() says why.
    bool Hand(std::string& chunk) {
        const std::uint64_t written = base_ + written_.load();
        if (written - startedOut_ >= kWriteOutStep) {
            out_.StartWriteOut(startedOut_, written);
            startedOut_ = written;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queued_.size() < kQueued || failed_; });
        if (failed_) return false;
        queued_.push_back(std::move(chunk));
        chunk.clear();
        if (!spare_.empty()) {
            chunk.swap(spare_.back());
            spare_.pop_back();
        }
        changed_.notify_all();
        return true;
    }
    // Writes what is in line and stops; false when any write failed.
    bool Finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
        job_.Wait();
        // The rest goes out now, before the sync waits for it all.
        const std::uint64_t written = base_ + written_.load();
        out_.StartWriteOut(startedOut_, written);
        startedOut_ = written;
        std::lock_guard<std::mutex> lock(mutex_);
        return !failed_;
    }

private:
    static constexpr std::size_t kQueued = 4;
    static constexpr std::uint64_t kWriteOutStep = 2u << 20;

    void Drain() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            changed_.wait(lock, [this] { return !queued_.empty() || closed_; });
            if (queued_.empty()) return;  // closed, and all written
            std::string chunk = std::move(queued_.front());
            queued_.pop_front();
            lock.unlock();
            const bool ok = !failed_ && out_.Write(chunk);
            if (ok) written_.fetch_add(chunk.size());
            chunk.clear();
            lock.lock();
            if (!ok) failed_ = true;
            spare_.push_back(std::move(chunk));
            changed_.notify_all();
        }
    }

    sys::OutputFile& out_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queued_;  // handed on, not written yet, in order
    std::vector<std::string> spare_;  // written, to be filled again
    bool closed_ = false;
    bool failed_ = false;
    std::atomic<std::uint64_t> written_{0};  // bytes written by the writing thread
    std::uint64_t startedOut_;               // writing out was started up to here
    const std::uint64_t base_ = startedOut_; // where the writing thread began
    sys::BackgroundJob job_;                 // last: it goes first, finishing its writes
};

}  // namespace qx
