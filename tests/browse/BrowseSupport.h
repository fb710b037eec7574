// Records and tree dumps for the browser tests.
#pragma once

#include <string>
#include <vector>

#include "../logstore/TestSupport.h"
#include "browse/LogTree.h"
#include "logstore/LogData.h"

namespace qx::test {

inline const std::string kUnit = "\x8c\x8f";  // "件"

// A record from "name (host)" and a ctime date.
inline LogData Rec(const std::string& who, const std::string& when, const std::string& body = "x",
                   const std::string& dir = "From") {
    return LogData(Msg(who, when, body, dir));
}

// A record sent to several addressees, each given as "name (host)".
inline LogData ToMany(const std::vector<std::string>& whos, const std::string& when,
                      const std::string& body = "x") {
    std::string header;
    for (const auto& w : whos) header += " To: " + w + "\n";
    header += "  at " + when;
    return LogData(Block(header, body));
}

// The tree in flat order, one line per node, indented two blanks per level.
inline std::vector<std::string> Dump(const LogTree& tree) {
    std::vector<std::string> out;
    tree.ForEachNode([&](TreeNode* n) {
        int depth = 0;
        for (const TreeNode* p = n->Parent(); p; p = p->Parent()) ++depth;
        out.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + n->Text());
    });
    return out;
}

inline std::string Counted(const std::string& label, int n) {
    return label + " (" + std::to_string(n) + kUnit + ")";
}

}  // namespace qx::test
