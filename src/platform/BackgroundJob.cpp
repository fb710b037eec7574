#include "platform/BackgroundJob.h"

#include <utility>

namespace qx::sys {

BackgroundJob::BackgroundJob() : thread_([this] { Run(); }) {}

BackgroundJob::~BackgroundJob() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundJob::Start(std::function<void()> job) {
    Wait();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = std::move(job);
        busy_ = true;
    }
    changed_.notify_all();
}

void BackgroundJob::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void BackgroundJob::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return busy_ || quit_; });
        if (!busy_) return;
        std::function<void()> job = std::move(job_);
        lock.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        failure_ = failure;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace qx::sys
