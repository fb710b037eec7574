#include "BrowseCommands.h"

#include <iostream>

#include "CliUi.h"
#include "Commands.h"
#include "browse/ListRows.h"
#include "browse/LogTree.h"
#include "browse/MessageStats.h"
#include "logstore/LogSession.h"
#include "platform/FileSystem.h"
#include "search/SearchRecords.h"
#include "search/TextMatcher.h"
#include "settings/LanguageSchema.h"
#include "settings/SettingsPaths.h"
#include "text/Encoding.h"

namespace qx::cli {

namespace {

// The language chosen with --lang, read from the file beside the executable or
// in the installed data folder.
struct Language {
    std::string code = "eng";
    MessageTexts texts;
    bool monthFirst() const { return code != "jpn"; }
};

int LoadLanguage(const Args& a, Language& lang, CliUi& ui) {
    lang.code = a.Value("lang").value_or("eng");
    if (lang.code != "jpn" && lang.code != "eng") {
        std::cerr << "quillorix-cli: --lang must be jpn or eng\n";
        return kExitUsage;
    }
    const std::string path = DataFilePath(sys::FolderOf(sys::ExecutablePath()),
                                          LanguageFilePath("", lang.code), sys::FileExists);
    std::string error;
    std::optional<LanguageFile> file = LanguageFile::Load(path, error);
    if (!file) {
        std::cerr << "quillorix-cli: cannot read the language file [" << path << "]"
                  << (error.empty() ? std::string(": it does not exist") : ": " + error) << '\n';
        return kExitFile;
    }
    lang.texts = ReadMessageTexts(*file);
    std::map<std::string, std::string> messages;
    for (std::size_t i = 0; i < kMessageTextCount; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "String%02zu", i);
        messages[key] = lang.texts.texts[i];
    }
    ui.SetMessages(std::move(messages));
    return kExitOk;
}

void PrintNode(const TreeNode& node, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += Cp932ToUtf8(node.Text());
    out += '\n';
    for (std::size_t i = 0; i < node.ChildCount(); ++i) PrintNode(*node.Child(i), depth + 1, out);
}

}  // namespace

int RunTree(const Args& a) {
    int key = 0;
    if (auto k = a.Value("key")) {
        if (k->size() != 1 || (*k)[0] < '0' || (*k)[0] > '4') {
            std::cerr << "quillorix-cli tree: --key must be 0, 1, 2, 3 or 4\n";
            return kExitUsage;
        }
        key = (*k)[0] - '0';
    }
    CliUi ui(a.Value("password-file").value_or(""));
    Language lang;
    if (int rc = LoadLanguage(a, lang, ui); rc != kExitOk) return rc;
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    LogTree tree;
    tree.SetTreeKey(key);
    tree.SetTexts(lang.texts[MessageText::DeletedNode], lang.texts[MessageText::CountUnit]);
    tree.BuildTree(s.records, 0);
    std::string out;
    for (std::size_t i = 0; i < tree.RootCount(); ++i) PrintNode(*tree.Root(i), 0, out);
    std::cout << out;
    return kExitOk;
}

int RunSearch(const Args& a) {
    CliUi ui(a.Value("password-file").value_or(""));
    Language lang;
    if (int rc = LoadLanguage(a, lang, ui); rc != kExitOk) return rc;
    const std::string text = Utf8LineToCp932(a.positional[1]);
    if (text.empty()) {
        std::cerr << "quillorix-cli search: the search text is empty\n";
        return kExitUsage;
    }
    const TextMatcher matcher(text, a.Has("regex"));
    if (matcher.IsRegex() && !matcher.Regexp().Ok()) {
        std::cerr << "quillorix-cli search: the pattern does not compile: " << matcher.Regexp().Error() << '\n';
        return kExitUsage;
    }
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    const std::vector<std::size_t> hits = SearchRecords(s, ui, matcher);
    ListOptions options;
    options.password = s.CurrentPassword;
    options.monthFirst = lang.monthFirst();
    options.previewSkipPrefix = "[To]";
    std::vector<ListRow> rows;
    rows.reserve(hits.size());
    for (std::size_t i : hits) rows.push_back(MessageRow(s.records[i], i, options));
    // The find list is sorted by the main list's sort column, the date at start.
    SortRows(rows, kColDate, 1);
    std::string out;
    for (const ListRow& row : rows) {
        out += Cp932ToUtf8(row.text[kColUser]) + '\t' + Cp932ToUtf8(row.text[kColDirection]) + '\t' +
               Cp932ToUtf8(row.text[kColDate]) + '\t' + Cp932ToUtf8(row.text[kColMessage]) + '\n';
    }
    std::cout << out;
    return kExitOk;
}

int RunStats(const Args& a) {
    const auto by = a.Value("by");
    int type;
    if (by == "user") type = kGraphByUser;
    else if (by == "host") type = kGraphByHost;
    else if (by == "date") type = kGraphByDate;
    else if (by == "month") type = kGraphByMonth;
    else {
        std::cerr << "quillorix-cli stats: --by must be user, host, date or month\n";
        return kExitUsage;
    }
    CliUi ui(a.Value("password-file").value_or(""));
    Language lang;
    if (int rc = LoadLanguage(a, lang, ui); rc != kExitOk) return rc;
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    const GraphData data = CountMessages(s.records, type, lang.monthFirst());
    std::string out;
    for (std::size_t i = 0; i < data.labels.size(); ++i) {
        out += Cp932ToUtf8(data.labels[i]) + '\t' + std::to_string(data.counts[i]) + '\n';
    }
    std::cout << out;
    return kExitOk;
}

}  // namespace qx::cli
