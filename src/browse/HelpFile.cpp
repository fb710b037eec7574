#include "browse/HelpFile.h"

#include "settings/SettingsPaths.h"

namespace qx {

std::string HelpFilePath(std::string_view exeFolder, std::string_view languageCode, bool compiledHelp,
                         const std::function<bool(const std::string&)>& isFile) {
    if (compiledHelp) {
        const std::string chm = JoinPath(exeFolder, kHelpFileName);
        return isFile(chm) ? chm : std::string();
    }
    for (std::string_view language : {languageCode, std::string_view("eng")}) {
        const std::string page = DataFilePath(
            exeFolder, JoinPath(JoinPath("help", language), "index.html"), isFile);
        if (isFile(page)) return page;
    }
    return std::string();
}

}  // namespace qx
