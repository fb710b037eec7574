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

std::vector<std::string> DataFolders(std::string_view exeFolder) {
    std::string folder(exeFolder);
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    std::vector<std::string> out{folder};
    const size_t cut = folder.find_last_of("/\\");
    const std::string parent = cut == std::string::npos ? std::string(".")
                               : cut == 0              ? std::string("/")
                                                       : folder.substr(0, cut);
    out.push_back(JoinPath(JoinPath(parent, "share"), "quillorix"));
    return out;
}

std::string DataFilePath(std::string_view exeFolder, std::string_view name,
                         const std::function<bool(const std::string&)>& exists) {
    const std::vector<std::string> folders = DataFolders(exeFolder);
    for (const std::string& folder : folders) {
        std::string path = JoinPath(folder, name);
        if (exists(path)) return path;
    }
    return JoinPath(folders.back(), name);
}

}  // namespace qx
