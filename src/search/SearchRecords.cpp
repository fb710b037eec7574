#include "search/SearchRecords.h"

#include <string>

namespace qx {

std::vector<std::size_t> SearchRecords(LogSession& session, SessionUi& ui,
                                       const TextMatcher& matcher) {
    std::vector<std::size_t> hits;
    // Records a reload appends while events run are not part of this search.
    const std::size_t count = session.records.size();
    const std::size_t step = count / 100 == 0 ? 1 : count / 100;
    ui.ProgressBegin("Searching...");
    ui.Progress(0);
    std::size_t shown = 0;
    bool gaveUp = false;
    std::string target;
    for (std::size_t i = 0; i < count; ++i) {
        if (session.CurrentPassword.empty() && !gaveUp &&
            session.records[i].BodyMode() == kModeEncrypted) {
            gaveUp = !session.AskPassword(false);
        }
        LogData& record = session.records[i];
        target.assign(record.HeaderText());
        target += record.PlainBody(session.CurrentPassword);
        if (matcher.Matches(target)) hits.push_back(i);

        const std::size_t position = i / step;
        if (position != shown) {
            shown = position;
            ui.Progress(static_cast<int>(position < 100 ? position : 100));
            ui.ProcessEvents();
        }
    }
    ui.ProgressEnd();
    return hits;
}

}  // namespace qx
