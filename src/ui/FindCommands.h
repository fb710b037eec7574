// Finding messages: the find window's search over the open log, showing hits in
// the message view with every occurrence marked, and the jump from a hit to its
// message in the tree and list.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/TextMatcher.h"
#include "browse/ListRows.h"
#include "ui/CommandContext.h"

namespace qx::ui {

class TForm1;
class TForm4;

class FindCommands {
public:
    FindCommands(const CommandContext& context, TForm1* window);
    ~FindCommands();

    TForm4* Form4() const { return form_; }

    void actFindExecute();
    void RunSearch();
    // Shows the selected hits in the message view, every match marked.
    void lvFindChange();
    void btnJumpClick();
    void JumpToMessage(std::size_t record);

    // A full read or a closed log: the hits name records that are gone.
    void ClearHits();
    // The settings the find window keeps: geometry, history and "RegEx".
    void LoadSettings(const int geometry[4], const std::vector<std::string>& history, bool regEx);
    void StoreSettings(int geometry[4], std::vector<std::string>& history, bool& regEx) const;
    // Column titles from the language file; the hits' rows are made again, their
    // dates in the window's new language.
    void ApplyLanguage(const QStringList& titles);

    // The record indexes of the selected hits, in row order.
    std::vector<std::size_t> SelectedRecords() const;
    bool Searching() const { return searching_; }

private:
    void MarkMatches();
    // How a hit's row is made now: the window's language, "MultiStr", the password.
    ListOptions RowOptions() const;

    CommandContext c_;
    TForm1* w_;
    TForm4* form_ = nullptr;
    std::optional<TextMatcher> shown_;  // the search whose hits the list holds
    bool searching_ = false;
    bool placed_ = false;
};

}  // namespace qx::ui
