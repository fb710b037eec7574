#include "settings/SettingsPaths.h"

namespace qx {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
    out += name;
    return out;
}

std::string SettingsFilePath(std::string_view exeFolder, std::string_view userName,
                             bool exeFolderWritable, std::string_view configFolder) {
    const std::string name = std::string(userName) + ".ini";
    return JoinPath(exeFolderWritable ? exeFolder : configFolder, name);
}

std::string LanguageFilePath(std::string_view folder, std::string_view languageCode) {
    return JoinPath(folder, std::string("Language.") + std::string(languageCode));
}

}  // namespace qx
