// quillorix-cli: the log store and its rules for scripts.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "Args.h"
#include "QuillorixVersion.h"
#include "BrowseCommands.h"
#include "CliUi.h"
#include "Commands.h"
#include "RecordFormat.h"
#include "logstore/LogSession.h"
#include "platform/FileSystem.h"
#include "platform/Terminal.h"
#include "text/Encoding.h"

namespace qx::cli {

namespace {

constexpr const char* kUsage =
    "usage: quillorix-cli COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  info LOG                          summary of a log\n"
    "  export LOG [--format jsonl|csv] [-o OUT]\n"
    "                                    one record per message\n"
    "  convert LOG -o OUT --save-type 0|1|2 [--header-encode]\n"
    "                                    write the log in another form\n"
    "  follow LOG [--format jsonl|text]  print messages as they are appended\n"
    "  tree LOG [--key 0-4]              the tree of the log\n"
    "  search LOG TEXT [--regex]         messages holding a text or pattern\n"
    "  stats LOG --by user|host|date|month\n"
    "                                    message counts\n"
    "\n"
    "Encrypted logs: the password is asked on the terminal, or read from the first\n"
    "line of --password-file FILE.\n"
    "Exit status: 0 success, 1 usage error, 2 a file cannot be read or written,\n"
    "3 the password was given up.\n"
    "Run 'quillorix-cli COMMAND --help' for the options of a command,\n"
    "'quillorix-cli --version' for the version.\n";

int Usage(const std::string& message) {
    std::cerr << "quillorix-cli: " << message << "\n\n" << kUsage;
    return kExitUsage;
}

struct Command {
    const char* name;
    const char* help;
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
    std::size_t positionals;
    std::function<int(const Args&)> run;
};

int RunInfo(const Args& a) {
    CliUi ui(a.Value("password-file").value_or(""));
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    std::cout << FormatInfo(s);
    return kExitOk;
}

int RunExport(const Args& a) {
    const std::string format = a.Value("format").value_or("jsonl");
    if (format != "jsonl" && format != "csv") return Usage("--format must be jsonl or csv");
    CliUi ui(a.Value("password-file").value_or(""));
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    Output out(a.Value("output").value_or(""), a.positional[0]);
    if (!out.ok()) return kExitFile;
    if (format == "csv") {
        out.Write("\xEF\xBB\xBF");  // lets spreadsheets recognise UTF-8
        out.Write(CsvHeader());
    }
    for (std::size_t i = 0; i < s.records.size(); ++i) {
        LogData& r = s.records[i];
        if (int rc = EnsurePassword(s, r); rc != kExitOk) return rc;
        const std::string plain = r.PlainBody(s.CurrentPassword);
        if (format == "csv") {
            out.Write(RecordCsv(r, i, plain));
        } else {
            out.Write(RecordJson(r, i, plain));
            out.Write("\n");
        }
    }
    return out.Finish() ? kExitOk : kExitFile;
}

int RunConvert(const Args& a) {
    const auto output = a.Value("output");
    const auto saveTypeText = a.Value("save-type");
    if (!output) return Usage("convert needs -o OUT");
    if (!saveTypeText || (*saveTypeText != "0" && *saveTypeText != "1" && *saveTypeText != "2")) {
        return Usage("convert needs --save-type 0, 1 or 2");
    }
    CliUi ui(a.Value("password-file").value_or(""));
    LogSession& s = CommandSession(ui);
    const std::string& log = a.positional[0];
    WriteOptions options;
    options.saveType = (*saveTypeText)[0] - '0';
    options.headerEncode = a.Has("header-encode");
    options.dustBox = a.Has("dustbox");
    // The new file is written while the log is read. However this command ends,
    // what was begun and not saved is removed with its temporary file (the
    // session itself is never destroyed).
    s.SaveWhileLoading(*output, options);
    struct CancelEarlySave {
        LogSession& s;
        ~CancelEarlySave() { s.CancelSaveWhileLoading(); }
    } cancelEarlySave{s};
    if (int rc = LoadForCli(s, ui, log); rc != kExitOk) return rc;
    if (s.ReadOnlyMode) {
        std::cerr << "quillorix-cli: the log [" << log << "] is read-only; nothing was written\n";
        return kExitFile;
    }
    switch (s.WriteLog(*output, options)) {
        case WriteStatus::Written: return kExitOk;
        case WriteStatus::PasswordGivenUp: return ui.passwordFileError() ? kExitFile : kExitPassword;
        case WriteStatus::ReadOnly:
        case WriteStatus::Failed: break;
    }
    return kExitFile;
}

int RunFollow(const Args& a) {
    const std::string format = a.Value("format").value_or("text");
    if (format != "jsonl" && format != "text") return Usage("--format must be jsonl or text");
    CliUi ui(a.Value("password-file").value_or(""));
    LogSession& s = CommandSession(ui);
    if (int rc = LoadForCli(s, ui, a.positional[0]); rc != kExitOk) return rc;
    return Follow(s, ui, format == "jsonl");
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info",
         "usage: quillorix-cli info LOG [--password-file FILE]\n"
         "Prints the file size, the number of messages, the counts per header and body\n"
         "form, the first and last date, and the number of distinct users and hosts.\n",
         {"password-file"}, {}, 1, RunInfo},
        {"export",
         "usage: quillorix-cli export LOG [--format jsonl|csv] [-o OUT] [--password-file FILE]\n"
         "Writes one record per message: JSON Lines (default) or CSV with a header row,\n"
         "all text in UTF-8. Standard output unless -o is given.\n",
         {"format", "output", "password-file"}, {}, 1, RunExport},
        {"convert",
         "usage: quillorix-cli convert LOG -o OUT --save-type 0|1|2 [--header-encode]\n"
         "                             [--dustbox] [--password-file FILE]\n"
         "Writes the log in a save form: 0 plain, 1 encoded, 2 encrypted with a password.\n"
         "--header-encode writes the headers in that form too. OUT equal to LOG saves over\n"
         "the log (--dustbox puts a copy of the old file in the trash first).\n",
         {"output", "save-type", "password-file"}, {"header-encode", "dustbox"}, 1, RunConvert},
        {"tree",
         "usage: quillorix-cli tree LOG [--key 0-4] [--lang jpn|eng] [--password-file FILE]\n"
         "Prints the tree after a full build, one node per line, two spaces of indent per\n"
         "level. Keys: 0 date and user (default), 1 date and host, 2 user, 3 host, 4 date.\n",
         {"key", "lang", "password-file"}, {}, 1, RunTree},
        {"search",
         "usage: quillorix-cli search LOG TEXT [--regex] [--lang jpn|eng] [--password-file FILE]\n"
         "Prints one line per message whose header or body holds TEXT (a regular\n"
         "expression with --regex), in the order of the find list: user, To/From, date\n"
         "and the message's first line, separated by tabs.\n",
         {"lang", "password-file"}, {"regex"}, 2, RunSearch},
        {"stats",
         "usage: quillorix-cli stats LOG --by user|host|date|month [--lang jpn|eng]\n"
         "                           [--password-file FILE]\n"
         "Prints the number of messages per user, host, day or month, one label and\n"
         "count per line, separated by a tab, in the order the labels first appear.\n",
         {"by", "lang", "password-file"}, {}, 1, RunStats},
        {"follow",
         "usage: quillorix-cli follow LOG [--format jsonl|text] [--password-file FILE]\n"
         "Prints every message, then each message appended later, once, as it is\n"
         "completed; runs until interrupted.\n",
         {"format", "password-file"}, {}, 1, RunFollow},
    };
    return commands;
}

}  // namespace

int Main(int argc, char** argv) {
    std::vector<std::string> words = sys::CommandWords(argc, argv);
    if (words.empty()) return Usage("no command given");
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (words[0] == "--version" || words[0] == "-V") {
        std::cout << "quillorix-cli " << QUILLORIX_VERSION << '\n';
        return kExitOk;
    }
    for (const Command& c : Commands()) {
        if (words[0] != c.name) continue;
        std::set<std::string> flags = c.flagOptions;
        flags.insert("help");
        Args a = ParseArgs({words.begin() + 1, words.end()}, c.valueOptions, flags);
        if (a.Has("help")) {
            std::cout << c.help;
            return kExitOk;
        }
        if (!a.error.empty()) {
            std::cerr << "quillorix-cli " << c.name << ": " << a.error << "\n" << c.help;
            return kExitUsage;
        }
        if (a.positional.size() != c.positionals) {
            std::cerr << "quillorix-cli " << c.name << ": wrong number of arguments\n" << c.help;
            return kExitUsage;
        }
        return c.run(a);
    }
    return Usage("unknown command '" + words[0] + "'");
}

}  // namespace qx::cli

int main(int argc, char** argv) {
    int code;
    qx::sys::UseBinaryOutput();
    try {
        code = qx::cli::Main(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "quillorix-cli: " << e.what() << '\n';
        code = qx::cli::kExitFile;
    }
    // Every file is closed by now; skip handing back the memory of a large log
    // piece by piece, which the system does at once.
    // Output that did not reach its file is an error, whatever the command said.
    std::cout.flush();
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout) && code == qx::cli::kExitOk) {
        const int err = errno ? errno : EIO;
        std::cerr << "quillorix-cli: cannot write [standard output]: " << std::strerror(err) << '\n';
        code = qx::cli::kExitFile;
    }
    std::fflush(stderr);
    std::_Exit(code);
}
