#include "Args.h"

namespace qx::cli {

Args ParseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions) {
    Args a;
    bool onlyPositional = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string w = words[i];
        if (onlyPositional || w.size() < 2 || w[0] != '-') {
            a.positional.push_back(w);
            continue;
        }
        if (w == "--") {
            onlyPositional = true;
            continue;
        }
        if (w == "-o") w = "--output";
        if (w == "-h") w = "--help";
        if (w.rfind("--", 0) != 0) {
            a.error = "unknown option " + w;
            return a;
        }
        std::string name = w.substr(2);
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (flagOptions.count(name) && !inlineValue) {
            a.flags.insert(name);
        } else if (valueOptions.count(name)) {
            if (inlineValue) {
                a.values[name] = *inlineValue;
            } else if (i + 1 < words.size()) {
                a.values[name] = words[++i];
            } else {
                a.error = "option --" + name + " needs a value";
                return a;
            }
        } else {
            a.error = "unknown option --" + name;
            return a;
        }
    }
    return a;
}

}  // namespace qx::cli
