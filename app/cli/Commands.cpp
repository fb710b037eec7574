#include "Commands.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <vector>

#include "RecordFormat.h"
#include "browse/LogSummary.h"
#include "platform/FileSystem.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx::cli {

LogSession& CommandSession(CliUi& ui) { return *new LogSession(ui); }

int LoadForCli(LogSession& session, CliUi& ui, const std::string& path) {
    const LoadResult r = session.LoadLog(path, 0);
    switch (r.status) {
        case LoadStatus::Ok: return kExitOk;
        case LoadStatus::Missing:
        case LoadStatus::Unreadable: return kExitFile;
        case LoadStatus::PasswordGivenUp: return ui.passwordFileError() ? kExitFile : kExitPassword;
    }
    return kExitFile;
}

int EnsurePassword(LogSession& session, const LogData& record) {
    if (session.CurrentPassword.empty() && record.BodyMode() == kModeEncrypted &&
        !session.AskPassword(false)) {
        return kExitPassword;
    }
    return kExitOk;
}

Output::Output(const std::string& path, const std::string& source) : path_(path) {
    if (path.empty() || path == "-") {
        path_.clear();
        ok_ = true;
        return;
    }
    auto refuse = [&](const std::string& why) {
        std::cerr << "quillorix-cli: cannot write [" << path << "]: " << why << '\n';
    };
    std::string reason;
    if (!sys::ResolveLinks(path, &realPath_, &reason)) { refuse(reason); return; }
    const sys::FileInfo target = sys::Stat(realPath_);
    if (target.exists && !target.isRegular) {
        refuse("it is not a regular file (use -o - for standard output)");
        return;
    }
    if (target.SameFileAs(sys::Stat(source))) {
        refuse("it is the log being read");
        return;
    }
    if (!file_.Create(realPath_, target.exists ? target.mode : 0644u)) {
        refuse("cannot create a temporary file in its folder: " + sys::ErrorText(file_.error()));
        return;
    }
    if (target.exists && !sys::KeepOwnership(file_.out(), realPath_, &reason)) {
        std::cerr << "quillorix-cli: [" << path << "]: the owner cannot be kept: " << reason << '\n';
    }
    ok_ = true;
}

bool Output::Fail(int err) {
    if (!failed_) error_ = err ? err : EIO;
    failed_ = true;
    return false;
}

bool Output::HandOn() {
    if (failed_ || buf_.empty()) return !failed_;
    if (path_.empty()) {
        if (std::fwrite(buf_.data(), 1, buf_.size(), stdout) != buf_.size()) return Fail(errno);
    } else if (!file_.out().Write(buf_)) {
        return Fail(file_.out().error());
    }
    buf_.clear();
    return true;
}

void Output::Write(const std::string& text) {
    buf_ += text;
    if (buf_.size() >= (1u << 20)) HandOn();
}

bool Output::Finish() {
    if (!ok_) return false;
    HandOn();
    if (path_.empty()) {
        if (!failed_ && std::fflush(stdout) != 0) Fail(errno);
    } else if (!failed_) {
        int err = 0;
        if (!file_.out().Sync()) Fail(file_.out().error());
        else if (!sys::AtomicReplace(file_.path(), realPath_, &err)) Fail(err);
        else file_.Kept();
    }
    if (failed_) {
        file_.Discard();
        std::cerr << "quillorix-cli: cannot write [" << (path_.empty() ? "standard output" : path_)
                  << "]: " << std::strerror(error_) << '\n';
    }
    return !failed_;
}


std::string FormatInfo(LogSession& s) {
    const LogSummary sum = SummariseLog(s.records);
    auto modes = [](const int* c) {
        return "plain " + std::to_string(c[1]) + ", encoded " + std::to_string(c[2]) + ", encrypted " +
               std::to_string(c[3]) + ", unrecognised " + std::to_string(c[0]);
    };
    auto date = [](const LogData* r) {
        return r ? Cp932ToUtf8(r->DateString(false) + " " + std::string(r->Time())) : std::string("-");
    };
    std::string out;
    out += "File:          " + s.LogFileName + "\n";
    out += "Size:          " + std::to_string(s.LoadedSize) + " bytes\n";
    out += "Messages:      " + std::to_string(s.records.size()) + "\n";
    out += "Header forms:  " + modes(sum.headerForms) + "\n";
    out += "Body forms:    " + modes(sum.bodyForms) + "\n";
    out += "First date:    " + date(sum.first) + "\n";
    out += "Last date:     " + date(sum.last) + "\n";
    out += "Users:         " + std::to_string(sum.users) + "\n";
    out += "Hosts:         " + std::to_string(sum.hosts) + "\n";
    return out;
}

namespace {

std::size_t Fingerprint(const LogData& r, std::string_view plain) {
    return std::hash<std::string_view>()(r.HeaderText()) * 31 + std::hash<std::string_view>()(plain);
}

}  // namespace

int Follow(LogSession& s, CliUi& ui, bool jsonl) {
    (void)ui;
    std::vector<std::size_t> printed;  // fingerprints of the messages printed so far
    bool quiet = false;                // the file did not grow since the last look

    auto emit = [&](std::size_t i) -> int {
        LogData& r = s.records[i];
        if (int rc = EnsurePassword(s, r); rc != kExitOk) return rc;
        const std::string plain = r.PlainBody(s.CurrentPassword);
        const std::string text = jsonl ? RecordJson(r, i, plain) + "\n" : RecordText(r, plain);
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
            std::cerr << "quillorix-cli: cannot write [standard output]: " << std::strerror(errno ? errno : EIO)
                      << '\n';
            return kExitFile;
        }
        printed.push_back(Fingerprint(r, plain));
        return kExitOk;
    };

    while (true) {
        // A block that may still be in the writing is printed once the file has
        // stayed the same for a look and its last line has ended.
        std::size_t limit = s.records.size();
        if (limit > 0 && s.IsTentative(limit - 1) && !(quiet && s.EndedOnLineEnd())) --limit;
        for (std::size_t i = printed.size(); i < limit; ++i) {
            if (int rc = emit(i); rc != kExitOk) return rc;
        }
        sys::SleepMs(500);
        if (!s.FileChanged()) {
            quiet = true;
            continue;
        }
        quiet = false;
        const LoadResult r = s.LoadLog(s.LogFileName, s.LoadedSize);
        if (r.status == LoadStatus::PasswordGivenUp && r.fullRead) return kExitPassword;
        if (r.fullRead) {
            // Keep the messages printed already; print from the first that differs.
            std::size_t same = 0;
            while (same < printed.size() && same < s.records.size()) {
                LogData& rec = s.records[same];
                if (Fingerprint(rec, rec.PlainBody(s.CurrentPassword)) != printed[same]) break;
                ++same;
            }
            printed.resize(same);
        }
    }
}

}  // namespace qx::cli
