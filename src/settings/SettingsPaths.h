// Where the settings file and the language files live.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// folder joined with name; a folder that already ends in "/" or "\" gets no
// second separator, an empty folder none at all.
std::string JoinPath(std::string_view folder, std::string_view name);

// The settings file: userName + ".ini" in the executable's folder when that
// folder is writable, otherwise in the per-user configuration folder. Callers
// supply the platform facts, so the rule stays testable.
std::string SettingsFilePath(std::string_view exeFolder, std::string_view userName,
                             bool exeFolderWritable, std::string_view configFolder);

// "Language." + code in folder.
std::string LanguageFilePath(std::string_view folder, std::string_view languageCode);

// The folders searched for the program's data files (language files, help
// pages, the sample log), in order: the executable's own folder (a build tree,
// or an install that keeps everything together), then the installed data
// folder beside it, <prefix>/share/quillorix for an executable in <prefix>/bin.
// The second is relative to the executable, so any prefix or DESTDIR works.
std::vector<std::string> DataFolders(std::string_view exeFolder);

// name in the first of DataFolders(exeFolder) where exists() finds it; when no
// folder has it, the path in the installed data folder, where an install puts it.
std::string DataFilePath(std::string_view exeFolder, std::string_view name,
                         const std::function<bool(const std::string&)>& exists);

}  // namespace qx
