// Two threads sharing the scanning of a long stretch of a log's lines.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "logstore/BlockScanner.h"
#include "platform/BackgroundJob.h"

namespace qx {

// Where a stretch [from, to) of complete lines is cut into parts, each later one
// starting at a top separator line: [cuts[k], cuts[k + 1]). A stretch shorter
// than splitAbove stays whole.
std::vector<std::size_t> CutParts(const char* data, std::size_t from, std::size_t to, std::size_t splitAbove);

// This thread and a helper take the parts in turn, each cutting and building its
// own part with its own scanner, and this thread takes in the finished parts'
// records in file order as they come, so that neither waits for a fixed half of
// the other. One scheduler serves one read: its helper thread and the arrays of
// parts already taken in are kept for the later stretches of that read.
class PartScheduler {
public:
    // Takes in the records built for a scanner's blocks; false stops the read.
    using TakeIn = std::function<bool(BlockScanner&)>;

    // Starts the helper thread now, so that it is up by the time it is needed.
    void StartHelper() {
        if (!helper_) helper_.emplace();
    }

    // Scans the parts of `cuts` (at least two) of the scanner's buffer (a mapping
    // when `mapped`, whose pages are then asked for ahead): part 0 goes on with
    // `scanner`'s state (a block still open); the last part's state is the
    // scanner's when all are done. `password` opens encrypted headers as they are
    // built; when `askFirst`, the first part is read and taken in alone (which
    // may ask for the password, then given by `passwordNow`) before the others.
    bool Run(BlockScanner& scanner, const std::vector<std::size_t>& cuts, bool mapped,
             const RecordStore (&stores)[2], std::string password, bool askFirst, const std::function<std::string()>& passwordNow,
             const TakeIn& takeIn);

private:
    std::optional<sys::BackgroundJob> helper_;
    // The arrays of parts already taken in, kept for later parts: their memory
    // is then written again instead of fresh memory being mapped in.
    std::mutex spareMutex_;
    std::vector<std::pair<std::vector<LogData>, std::vector<BlockScanner::Pending>>> spare_;
};

}  // namespace qx
