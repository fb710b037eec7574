// One thread that runs one job at a time for its owner, so that work repeated
// many times over (a chunk to write, a range to search) does not start a thread
// each time.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace qx::sys {

class BackgroundJob {
public:
    BackgroundJob();
    ~BackgroundJob();  // waits for the job in hand
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Waits for the job before (throwing what it threw), then starts this one.
    void Start(std::function<void()> job);
    // Waits for the job in hand; what it threw is thrown here.
    void Wait();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool busy_ = false;
    bool quit_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace qx::sys
