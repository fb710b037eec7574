// A small command-line parser: positional arguments and --options.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qx::cli {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // --name VALUE or --name=VALUE
    std::set<std::string> flags;                // --name
    std::string error;                          // set when the words do not parse

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> Value(const std::string& name) const {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

// valueOptions take a value; flagOptions do not. "-o" is an alias of "--output".
Args ParseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions);

}  // namespace qx::cli
