#include "search/SearchRecords.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <utility>
#include <mutex>
#include <optional>
#include <thread>
#include <string>

namespace qx {

namespace {

// Records [from, to) whose header or readable body the matcher finds, in order.
void SearchRange(LogSession& session, const TextMatcher& matcher, std::size_t from, std::size_t to,
                 std::vector<std::size_t>& hits) {
    std::string target;
    for (std::size_t i = from; i < to; ++i) {
        LogData& record = session.records[i];
        target.assign(record.HeaderText());
        record.AppendPlainBody(target, session.CurrentPassword);
        if (matcher.Matches(target)) hits.push_back(i);
    }
}

// A second thread that takes the later half of each round: one thread for the
// whole search, handed a range per round, instead of a new thread each round.
class HalfSearcher {
public:
    HalfSearcher(LogSession& session, const TextMatcher& matcher)
        : session_(session), matcher_(matcher), thread_([this] { Run(); }) {}
    HalfSearcher(const HalfSearcher&) = delete;
    HalfSearcher& operator=(const HalfSearcher&) = delete;
    ~HalfSearcher() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    // Starts searching [from, to) into hits, which must stay untouched until Wait.
    void Start(std::size_t from, std::size_t to, std::vector<std::size_t>& hits) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            from_ = from;
            to_ = to;
            hits_ = &hits;
            busy_ = true;
        }
        changed_.notify_all();
    }
    // Waits for the range; what went wrong in it is thrown here.
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            changed_.wait(lock, [this] { return busy_ || quit_; });
            if (!busy_) return;
            lock.unlock();
            std::exception_ptr failure;
            try {
                SearchRange(session_, matcher_, from_, to_, *hits_);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            failure_ = failure;
            busy_ = false;
            changed_.notify_all();
        }
    }

    LogSession& session_;
    const TextMatcher& matcher_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t from_ = 0, to_ = 0;
    std::vector<std::size_t>* hits_ = nullptr;
    bool busy_ = false;
    bool quit_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace

std::vector<std::size_t> SearchRecords(LogSession& session, SessionUi& ui,
                                       const TextMatcher& matcher) {
    std::vector<std::size_t> hits;
    // Records a reload appends while events run are not part of this search.
    const std::size_t count = session.records.size();
    ui.ProgressBegin("Searching...");
    ui.Progress(0);
    // The password is asked for once, before the first encrypted body is read.
    if (session.CurrentPassword.empty()) {
        const bool encrypted = std::any_of(session.records.begin(), session.records.end(),
                                           [](const LogData& r) { return r.BodyMode() == kModeEncrypted; });
        if (encrypted) session.AskPassword(false);
    }
    // Rounds of a hundredth of the records, each shared by two threads. Events
    // are let in between rounds, when no other thread touches the records.
    const std::size_t step = std::max<std::size_t>(count / 100, 1);
    std::vector<std::size_t> later;
    std::size_t shown = 0;
    std::optional<HalfSearcher> helper;
    if (count >= 256) helper.emplace(session, matcher);
    for (std::size_t start = 0; start < count; start += step) {
        const std::size_t end = std::min(count, start + step);
        const std::size_t middle = start + (end - start) / 2;
        later.clear();
        if (end - start >= 256) {
            helper->Start(middle, end, later);
            SearchRange(session, matcher, start, middle, hits);
            helper->Wait();
            hits.insert(hits.end(), later.begin(), later.end());
        } else {
            SearchRange(session, matcher, start, end, hits);
        }
        const std::size_t position = std::min<std::size_t>(end / step, 100);
        if (position != shown) {
            shown = position;
            ui.Progress(static_cast<int>(position));
            ui.ProcessEvents();
        }
    }
    ui.ProgressEnd();
    return hits;
}

}  // namespace qx
