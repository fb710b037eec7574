// The find window's search over the open log.
#pragma once

#include <cstddef>
#include <vector>

#include "logstore/LogSession.h"
#include "logstore/SessionUi.h"
#include "search/TextMatcher.h"

namespace qx {

// Indices (into session.records, in file order) of the records whose header text
// followed directly by the readable body matches. Deleted records are searched too.
// The first encrypted body met while no password is known asks for one; the
// answer becomes session.CurrentPassword. If the person gives up (possible only
// outside the GUI) the search goes on without asking again, and encrypted bodies
// are searched in their failed-decryption form. Shows progress under the caption
// "Searching..." and lets pending events run about a hundred times.
std::vector<std::size_t> SearchRecords(LogSession& session, SessionUi& ui,
                                       const TextMatcher& matcher);

}  // namespace qx
