#include "search/SearchRecords.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>

#include "platform/BackgroundJob.h"

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
    std::size_t shown = 0;
    // One helper thread shares every round: both take pieces of it in turn, so
    // that neither waits for the other when one's records take longer (long or
    // encrypted bodies); the hits of each piece are put in order afterwards.
    constexpr std::size_t kPiece = 64;
    std::optional<sys::BackgroundJob> helper;
    if (count >= 256) helper.emplace();
    std::vector<std::vector<std::size_t>> pieceHits;
    for (std::size_t start = 0; start < count; start += step) {
        const std::size_t end = std::min(count, start + step);
        if (end - start >= 256) {
            const std::size_t pieces = (end - start + kPiece - 1) / kPiece;
            if (pieceHits.size() < pieces) pieceHits.resize(pieces);
            std::atomic<std::size_t> next{0};
            auto work = [&] {
                for (std::size_t k; (k = next.fetch_add(1)) < pieces;) {
                    pieceHits[k].clear();
                    SearchRange(session, matcher, start + k * kPiece, std::min(end, start + (k + 1) * kPiece),
                                pieceHits[k]);
                }
            };
            helper->Start(work);
            work();
            helper->Wait();
            for (std::size_t k = 0; k < pieces; ++k) hits.insert(hits.end(), pieceHits[k].begin(), pieceHits[k].end());
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
