// Fuzz targets of the log store: one record from a block, and whole log files
// read in full and in two steps.
#include <cstdint>
#include <stdio.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "FuzzTargets.h"
#include "kernels/Kernels.h"
#include "logstore/HeaderLine.h"
#include "logstore/LogData.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"
#include "logstore/TextArena.h"
#include "text/Cp932.h"

namespace qx::fuzz {

namespace {

constexpr std::string_view kPassword = "fuzz-pw";

// Every text field of a record, in one fixed order.
std::array<std::string, 18> TextFields(const LogData& r) {
    return {std::string(r.Direction()), std::string(r.UserName()),  std::string(r.BracketName()),
            std::string(r.GroupName()), std::string(r.HostName()),  std::string(r.IpAddress()),
            std::string(r.Year()),      std::string(r.Month()),     std::string(r.Day()),
            std::string(r.WeekDay()),   std::string(r.Time()),      std::string(r.AttachLine()),
            std::string(r.DateNote()),  std::string(r.HeaderText()), std::string(r.BodyText()),
            r.TopSeparator(),           r.BodySeparator(),          r.CipherKey()};
}

bool SameRecord(const LogData& a, const LogData& b) {
    return TextFields(a) == TextFields(b) && a.BodyMode() == b.BodyMode() &&
           a.HeaderMode() == b.HeaderMode() && a.AddresseeCount() == b.AddresseeCount() &&
           a.PasswordOk() == b.PasswordOk() && a.Deleted() == b.Deleted() &&
           a.HeaderEncrypted() == b.HeaderEncrypted();
}

// The fields the header parser fills.
bool SameHeaderFields(const LogData& a, const LogData& b) {
    auto fa = TextFields(a);
    auto fb = TextFields(b);
    for (int i = 0; i <= 12; ++i) {
        if (fa[i] != fb[i]) return false;
    }
    return a.AddresseeCount() == b.AddresseeCount();
}

bool IsPlainMode(int mode) { return mode == kModePlain || mode == kModeUnknown; }

// Saves `r` with the header in headerMode and the body in bodyMode, reads the
// saved block back as the reader would, and checks that the header fields and
// the readable body survived.
bool SaveRoundTrip(LogData& r, int headerMode, int bodyMode) {
    const std::string plainBody(r.BodyText());
    int written = -9;
    const std::string saved =
        r.SaveHeaderBlock(headerMode, bodyMode, kPassword) + r.SaveBody(bodyMode, kPassword, &written);
    if (written != bodyMode) return false;  // a plain body always converts

    LogData back(saved);
    if (!back.HasBodySeparator() || back.HeaderMode() != headerMode || back.BodyMode() != bodyMode) {
        return false;
    }
    if (headerMode == kModeEncrypted) {
        back.DecryptHeader(kModeEncrypted, kPassword);
        if (back.HeaderEncrypted() || !back.PasswordOk()) return false;
        back.ParseHeader();
    }
    if (!SameHeaderFields(r, back)) return false;
    // Lines in the plain form are written as they are; the other forms may drop
    // an empty last header line, which carries no field.
    if (headerMode == kModePlain && back.HeaderText() != r.HeaderText()) return false;
    const std::string body = back.PlainBody(kPassword);
    return body == plainBody && (bodyMode != kModeEncrypted || back.PasswordOk());
}

// Answers every password prompt by giving up, and keeps what it was told.
class GiveUpUi : public SessionUi {
public:
    std::vector<std::string> errors;
    std::optional<PasswordEntry> AskPasswordOnce(bool) override { return std::nullopt; }
    void ShowMessage(std::string_view, std::string_view) override {}
    void ShowError(std::string_view text) override { errors.emplace_back(text); }
};

// A private folder for the log files of this process, removed at exit.
class ScratchFolder {
public:
    ScratchFolder() {
#ifdef _WIN32
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto p = std::filesystem::temp_directory_path() / ("qx-fuzz-" + std::to_string(random()));
            if (std::filesystem::create_directory(p)) path_ = p.generic_string();
        }
#else
        std::string tmpl = (std::filesystem::temp_directory_path() / "qx-fuzz-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr) path_ = tmpl;
#endif
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::string File(const char* name) const { return path_ + "/" + name; }
    bool ok() const { return !path_.empty(); }

private:
    std::string path_;
};

bool WriteBytes(const std::string& path, std::string_view bytes, const char* mode) {
    FILE* f = fopen(path.c_str(), mode);
    if (f == nullptr) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) return std::nullopt;
    std::string out;
    char chunk[65536];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, n);
    const bool ok = ferror(f) == 0;
    fclose(f);
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace

bool LogDataTarget(std::string_view input) {
    LogData r(input);

    // With every kernel the lines end in the same places, the header line scan
    // agrees with the bytewise one, and the record is the same.
    const bool crlf = IsCrLfText(input);
    for (const kernels::Version v : kernels::Supported()) {
        const kernels::ScopedKernel use(v);
        for (std::size_t at = 0; at < input.size();) {
            const LineSpan span = NextLine(input, at);
            std::size_t e = at;
            while (e < input.size() && input[e] != '\r' && input[e] != '\n') ++e;
            if (span.line.data() != input.data() + at || span.line.size() != e - at) return false;
            if (!(ScanHeaderLine(span.line) == ScanHeaderLineBytewise(span.line))) return false;
            at = span.next;
        }
        if (IsCrLfText(input) != crlf) return false;
        if (!SameRecord(LogData(input), r)) return false;
    }

    // Built over kept storage with an arena for its fields, the record is the same.
    {
        auto storage = std::make_shared<std::string>(input);
        auto arena = std::make_shared<TextArena>(64);
        arena->Keep(storage);
        const LogData kept(*storage, arena, IsCrLfText(input), arena.get());
        if (!SameRecord(kept, r)) return false;
    }

    // Built with a memo of addressee lines, once to fill it and once to recall
    // from it, the record is the same.
    {
        HeaderLineMemo memo;
        const LogData first(input, {}, false, nullptr, &memo);
        const LogData again(input, {}, false, nullptr, &memo);
        if (!SameRecord(first, r) || !SameRecord(again, r)) return false;
    }

    // Every getter, and the derived texts. The fields up to the body share one
    // buffer, each exactly once.
    const auto fields = TextFields(r);
    std::size_t total = 0;
    for (int i = 0; i <= 14; ++i) total += fields[i].size();
    if (total != r.TextBytes()) return false;
    const std::string month = r.MonthNumber();
    if (month.size() != 2 || month < "01" || month > "12") return false;
    const std::string ymd = r.DateString(false);
    const std::string mdy = r.DateString(true);
    if (ymd.size() != mdy.size() || ymd.size() != r.Year().size() + r.Day().size() + 4) return false;
    if (r.AddresseeCount() > 0 && (r.UserName().empty() || r.UserName().back() != ',')) return false;
    const std::string headerBlock = r.HeaderBlock();

    // Without a body separator nothing of the block is taken.
    if (!r.HasBodySeparator()) {
        return r.HeaderText().empty() && r.BodyText().empty() && r.AddresseeCount() == 0;
    }

    const bool plain = IsPlainMode(r.HeaderMode()) && IsPlainMode(r.BodyMode());
    const bool noZero = r.HeaderText().find('\0') == std::string_view::npos &&
                        r.BodyText().find('\0') == std::string_view::npos;
    if (r.HeaderMode() == kModePlain && r.BodyMode() == kModePlain &&
        r.SaveHeaderBlock(kModePlain, kModePlain, "") != headerBlock) {
        return false;
    }
    if (plain && noZero) {
        for (int h : {kModePlain, kModeEncoded, kModeEncrypted}) {
            for (int b : {kModePlain, kModeEncoded, kModeEncrypted}) {
                if (!SaveRoundTrip(r, h, b)) return false;
            }
        }
        return true;
    }

    // Protected or unusual records: the readers and writers must cope with
    // whatever the block holds, under a password that is most likely wrong.
    if (r.HeaderMode() == kModeEncrypted) {
        r.DecryptHeader(kModeEncrypted, kPassword);
        if (!r.HeaderEncrypted()) r.ParseHeader();
    }
    (void)r.PlainBody(kPassword);
    (void)r.PreviewLine(kPassword, ">");
    for (int h : {kModePlain, kModeEncoded, kModeEncrypted}) {
        for (int b : {kModePlain, kModeEncoded, kModeEncrypted}) {
            int written = -9;
            const std::string head = r.SaveHeaderBlock(h, b, kPassword);
            const std::string body = r.SaveBody(b, kPassword, &written);
            // A body that cannot be converted is written as it was read.
            if (written != b && (written != r.BodyMode() || body != r.BodyText())) return false;
            LogData back(head + body);
            if (!back.HasBodySeparator()) return false;
        }
    }
    return true;
}

namespace {

bool CompareReads(std::string_view input) {
    static ScratchFolder folder;
    if (!folder.ok()) return true;  // nowhere to write: nothing to test
    std::size_t cut = 0;
    if (input.size() >= 2) {
        cut = (static_cast<unsigned char>(input[0]) << 8) | static_cast<unsigned char>(input[1]);
        input.remove_prefix(2);
    }
    cut %= input.size() + 1;

    const std::string wholePath = folder.File("whole.log");
    const std::string splitPath = folder.File("split.log");
    if (!WriteBytes(wholePath, input, "wb")) return true;
    GiveUpUi wholeUi;
    LogSession whole(wholeUi);
    whole.LoadLog(wholePath, 0);
    // A full read stops at a header it cannot decrypt, while a differential read
    // keeps it encrypted and goes on: the two differ by design then.
    bool comparable = true;
    for (const LogData& r : whole.records) {
        if (r.HeaderMode() == kModeEncrypted) comparable = false;
    }
    if (comparable && whole.LoadedSize != input.size()) return false;

    // Saved plain after a load (by a session of its own: a save leaves its key
    // with the records), the file the other reads below must give too.
    const std::string savedPath = folder.File("saved.log");
    const std::string earlyPath = folder.File("early.log");
    GiveUpUi savingUi;
    LogSession saving(savingUi);
    saving.LoadLog(wholePath, 0);
    const WriteStatus saved = saving.WriteLog(savedPath, WriteOptions{});
    const std::optional<std::string> savedBytes =
        saved == WriteStatus::Written ? ReadBytes(savedPath) : std::optional<std::string>();

    // The same read with every kernel: the plain one line by line on one thread
    // from buffers, the others shared between two threads wherever they can be,
    // from a mapping of the file in steps of two sizes: the same records. Each
    // begins the plain save while it reads, and gives the same file.
    std::vector<std::pair<kernels::Version, ReadLimits>> ways;
    for (const kernels::Version v : kernels::Supported()) {
        if (v == kernels::Version::Plain) {
            ways.push_back({v, ReadLimits{SIZE_MAX, UINT64_MAX, 0}});
        } else {
            ways.push_back({v, ReadLimits{1, 1, 1 + input.size() / 3}});
            ways.push_back({v, ReadLimits{1, 1, 1 + input.size() / 2}});
        }
    }
    for (const auto& [version, limits] : ways) {
        std::optional<kernels::ScopedKernel> use(std::in_place, version);
        GiveUpUi otherUi;
        LogSession other(otherUi);
        other.readLimits = limits;
        other.SaveWhileLoading(earlyPath, WriteOptions{});
        other.LoadLog(wholePath, 0);
        use.reset();
        if (other.LoadedSize != whole.LoadedSize || other.records.size() != whole.records.size()) return false;
        if (other.WriteLog(earlyPath, WriteOptions{}) != saved) return false;
        // Both saved: the same records, down to the key a save leaves with them.
        for (std::size_t i = 0; i < saving.records.size(); ++i) {
            if (!SameRecord(saving.records[i], other.records[i])) return false;
        }
        if (saved == WriteStatus::Written && savedBytes && ReadBytes(earlyPath) != savedBytes) return false;
        if (!sys::TempFilesFor(earlyPath).empty()) return false;
    }

    // Saved over itself with a deletion, then loaded in full (which may take the
    // saved records instead of reading them): what a fresh read of the file gives,
    // and so is the next read after an append.
    const std::string selfPath = folder.File("self.log");
    if (!WriteBytes(selfPath, input, "wb")) return true;
    GiveUpUi selfUi;
    LogSession self(selfUi);
    self.LoadLog(selfPath, 0);
    if (!self.records.empty()) self.SetDeleted(cut % self.records.size(), true);
    if (self.WriteLog(selfPath, WriteOptions{}) == WriteStatus::Written && self.LoadLog(selfPath, 0).ok()) {
        for (int round = 0; round < 2; ++round) {
            GiveUpUi freshUi;
            LogSession fresh(freshUi);
            // After the append, a header that cannot be decrypted ends the full read
            // but not the differential one (see above): nothing to compare then.
            if (!fresh.LoadLog(selfPath, 0).ok() && round == 1) break;
            if (fresh.LoadedSize != self.LoadedSize || fresh.records.size() != self.records.size()) return false;
            for (std::size_t i = 0; i < self.records.size(); ++i) {
                if (TextFields(self.records[i]) != TextFields(fresh.records[i])) return false;
            }
            if (round == 0) {
                if (!WriteBytes(selfPath, input.substr(0, cut), "ab")) return true;
                self.LoadLog(selfPath, self.LoadedSize);
            }
        }
    }

    if (!WriteBytes(splitPath, input.substr(0, cut), "wb")) return true;
    GiveUpUi splitUi;
    LogSession split(splitUi);
    split.LoadLog(splitPath, 0);
    if (!WriteBytes(splitPath, input.substr(cut), "ab")) return true;
    split.LoadLog(splitPath, split.LoadedSize);
    if (!comparable) return true;
    if (split.LoadedSize != input.size()) return false;
    // Only appended bytes: the second read must not have taken the file for replaced.
    if (!splitUi.errors.empty()) return false;

    if (whole.records.size() != split.records.size()) return false;
    for (std::size_t i = 0; i < whole.records.size(); ++i) {
        if (!SameRecord(whole.records[i], split.records[i])) return false;
    }
    return true;
}

}  // namespace

bool LogLoadTarget(std::string_view input) { return CompareReads(input); }

}  // namespace qx::fuzz
