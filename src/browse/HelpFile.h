// Which help the help command opens.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qx {

// The compiled help file of the Windows build, beside the executable.
inline constexpr std::string_view kHelpFileName = "Quillorix.chm";

// The help to open, or "" when there is none.
//  - With compiledHelp (Windows): exeFolder + "Quillorix.chm", looked for nowhere else.
//  - Otherwise the HTML pages "help/<language>/index.html" in the data folders
//    (DataFolders: beside the executable first, then the installed data folder);
//    the interface's language first, English when that language has no pages.
// isFile answers for a path whether it names an existing file.
std::string HelpFilePath(std::string_view exeFolder, std::string_view languageCode, bool compiledHelp,
                         const std::function<bool(const std::string&)>& isFile);

}  // namespace qx
