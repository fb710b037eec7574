#include "logstore/PartScan.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>

#include "platform/FileSystem.h"

namespace qx {

namespace {

// A large stretch of lines is cut into parts of about this size for two threads.
constexpr std::size_t kPartSize = 2 << 20;
constexpr std::size_t kMaxParts = 512;

}  // namespace

std::vector<std::size_t> CutParts(const char* data, std::size_t from, std::size_t to, std::size_t splitAbove) {
    std::vector<std::size_t> cuts{from};
    if (to - from >= splitAbove) {
        const std::size_t count = std::clamp<std::size_t>((to - from) / kPartSize, 2, kMaxParts);
        for (std::size_t k = 1; k < count; ++k) {
            const std::size_t at = std::max(from + (to - from) / count * k, cuts.back());
            const std::size_t cut = NextSeparatorLine(data, at, to);
            if (cut > cuts.back() && cut < to) cuts.push_back(cut);
        }
    }
    cuts.push_back(to);
    return cuts;
}

bool PartScheduler::Run(BlockScanner& scanner, const std::vector<std::size_t>& cuts, bool mapped,
                        const RecordStore (&stores)[2], std::string password, bool askFirst, const std::function<std::string()>& passwordNow,
                        const TakeIn& takeIn) {
    const char* data = scanner.base;
    const std::size_t parts = cuts.size() - 1;
    std::vector<BlockScanner> later(parts - 1);
    auto scannerOf = [&](std::size_t k) -> BlockScanner& { return k == 0 ? scanner : later[k - 1]; };
    for (BlockScanner& sc : later) {
        sc.kernel = scanner.kernel;
        sc.base = data;
        sc.baseOffset = scanner.baseOffset;
    }
    std::atomic<std::size_t> nextPart{0};
    std::atomic<bool> stop{false};
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    std::vector<char> done(parts, 0);
    // The helper touches nothing of the session: it works with its own copy of the password.
    auto work = [&](int thread) -> bool {
        const std::size_t k = nextPart.fetch_add(1);
        if (k >= parts || stop.load()) return false;
        BlockScanner& sc = scannerOf(k);
        if (k > 0) {
            std::lock_guard<std::mutex> lock(spareMutex_);
            if (!spare_.empty()) {
                sc.built = std::move(spare_.back().first);
                sc.pending = std::move(spare_.back().second);
                spare_.pop_back();
            }
        }
        if (mapped) sys::PrefetchMapped(data + cuts[k], cuts[k + 1] - cuts[k]);
        sc.LinesAndBuild(cuts[k], cuts[k + 1], stores[thread], password);
        if (k + 1 < parts) {
            // The next part starts at a separator line: this part's last block ends there.
            sc.Finish(cuts[k + 1]);
            sc.Build(stores[thread], password);
        }
        {
            std::lock_guard<std::mutex> lock(doneMutex);
            done[k] = 1;
        }
        doneChanged.notify_all();
        return true;
    };
    bool ok = true;
    std::size_t taken = 0;  // parts whose records are taken in
    auto takeNext = [&] {
        BlockScanner& sc = scannerOf(taken);
        ok = takeIn(sc);
        if (taken + 1 < parts) {
            sc.inBlocks = false;
            sc.blockCopy.clear();
        }
        if (taken > 0) {
            std::lock_guard<std::mutex> lock(spareMutex_);
            spare_.emplace_back(std::move(sc.built), std::move(sc.pending));
        }
        ++taken;
    };
    // A log whose first message has an encrypted header, read with no password
    // yet: its first part is read and taken in alone, which asks for the
    // password, so that the other parts can open their headers as they are built.
    if (askFirst) {
        const std::size_t first = NextSeparatorLine(data, cuts[0], cuts[1]);
        if (first + 37 <= cuts[1] && data[first + 36] == '2') {
            work(0);
            takeNext();
            if (!ok) return false;
            password = passwordNow();
        }
    }
    StartHelper();
    helper_->Start([&] {
        while (work(1)) {
        }
    });
    // However this ends, the helper is done with these parts before they go.
    struct HelperDone {
        std::atomic<bool>& stop;
        sys::BackgroundJob& job;
        ~HelperDone() {
            stop.store(true);
            try {
                job.Wait();
            } catch (...) {
            }
        }
    } helperDone{stop, *helper_};
    while (taken < parts && ok) {
        // Taking in comes first, so that no backlog of it is left for the end
        // when the helper has nothing more to do; a part is built only while
        // the next one in order is not finished.
        bool ready;
        {
            std::lock_guard<std::mutex> lock(doneMutex);
            ready = done[taken] != 0;
        }
        if (!ready) {
            if (work(0)) continue;
            std::unique_lock<std::mutex> lock(doneMutex);
            doneChanged.wait(lock, [&] { return done[taken] != 0; });
        }
        takeNext();
    }
    stop.store(true);
    helper_->Wait();
    if (ok && parts > 1) std::swap(scanner, later.back());  // the last part's open block goes on
    return ok;
}

}  // namespace qx
