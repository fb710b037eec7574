// quillorix-genlog: writes a realistic log of N messages, deterministic from a
// seed, through the program's own writer (so its files are what Quillorix writes).
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "logstore/LogSession.h"

namespace {

using Rng = std::mt19937_64;

const char* const kWeekDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// cp932 texts (written as bytes so the source stays ASCII).
const std::vector<std::string> kJapaneseNames = {
    "\x93\x63\x92\x86 \x88\xEA\x98\x59",  // 田中 一郎
    "\x97\xE9\x96\xD8 \x89\xD4\x8E\x71",  // 鈴木 花子
    "\x8D\xB2\x93\xA1 \x8C\x92",          // 佐藤 健
    "\x96\xD8\x91\xBA \x94\xFC\x8D\xE7",  // 木村 美咲
    "\x8E\x52\x93\x63 \x91\xBE\x98\x59",  // 山田 太郎
    "\x8F\xAC\x97\xD1 \x83\x5C\x83\x7B",  // 小林 ソボ (trail bytes 0x5C in the name)
    "\x88\xC9\x93\xA1 \x90\xB3",          // 伊藤 正
    "\x8D\x82\x8B\xB4 \x97\x44",          // 高橋 優
};
const std::vector<std::string> kLatinNames = {"Emily Carter", "Raj Patel", "Mei Lin", "Tom Baker",
                                              "Ana Souza", "Lukas Meyer", "Sara Rossi", "John Smith"};
const std::vector<std::string> kGroups = {
    "\x8A\x4A\x94\xAD\x95\x94",                         // 開発部
    "\x8A\x4A\x94\xAD\x95\x94/\x91\xE6\x93\xF1\x89\xDB",  // 開発部/第二課
    "\x89\x63\x8B\xC6\x95\x94",                         // 営業部
    "Design", "QA/Tokyo", "Ops/Night/Shift-B", ""};
const std::vector<std::string> kJapaneseLines = {
    "\x82\xA8\x94\xE6\x82\xEA\x82\xB3\x82\xDC\x82\xC5\x82\xB7\x81\x42",  // お疲れさまです。
    "\x8E\x91\x97\xBF\x82\xF0\x91\x97\x82\xE8\x82\xDC\x82\xB7\x81\x42",  // 資料を送ります。
    "\x8A\x6D\x94\x46\x82\xA8\x8A\xE8\x82\xA2\x82\xB5\x82\xDC\x82\xB7\x81\x42",  // 確認お願いします。
    "\x97\xB9\x89\xF0\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42",  // 了解しました。
    "\x96\xBE\x93\xFA\x82\xCC\x89\xEF\x8B\x63\x82\xCD\x82\x50\x82\x4F\x8E\x9E\x82\xA9\x82\xE7\x82\xC5\x82\xB7\x81\x42",  // 明日の会議は１０時からです。
    "\x83\x5C\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x82\xCC\x8D\x58\x90\x56\x82\xF0\x93\x4B\x97\x70\x82\xB5\x82\xDC\x82\xB5\x82\xBD",  // ソフトウェアの更新を適用しました
};
const std::vector<std::string> kEnglishLines = {
    "Could you take a look at the latest build?", "Thanks, that fixed it.",
    "Lunch at noon?", "The meeting moved to room 4B.", "I'll send the figures by Friday.",
    "See the attached draft and tell me what you think.", "Server maintenance tonight, 22:00-23:00.",
};
const std::vector<std::string> kLinks = {"https://intra.example.com/wiki/Release_plan",
                                         "http://build-srv/ci/1432/console",
                                         "https://docs.example.co.jp/manual/ch3.html#setup",
                                         "ftp://files.example.org/pub/tools.zip"};

template <typename T>
const T& Pick(Rng& rng, const std::vector<T>& v) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
}

struct Person {
    std::string name, nick, group, host, ip;
};

std::vector<Person> MakePeople(Rng& rng, int count) {
    std::vector<Person> people;
    for (int i = 0; i < count; ++i) {
        Person p;
        const bool japanese = i % 3 != 2;
        p.name = japanese ? Pick(rng, kJapaneseNames) : Pick(rng, kLatinNames);
        if (i >= 8) p.name += std::to_string(i);
        if (rng() % 2) p.nick = "u" + std::to_string(i);
        p.group = Pick(rng, kGroups);
        p.host = (japanese ? "PC-" : "host-") + std::to_string(100 + i);
        if (rng() % 4 != 0) {
            p.ip = "192.168." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
        }
        people.push_back(p);
    }
    return people;
}

std::string AddresseeLine(const std::string& direction, const Person& p) {
    std::string line = " " + direction + ": " + p.name;
    if (!p.nick.empty()) line += "[" + p.nick + "]";
    std::string address;
    if (!p.group.empty()) address = p.group + "/";
    address += p.host;
    if (!p.ip.empty()) address += "/" + p.ip;
    return line + " (" + address + ")";
}

int BodyLines(Rng& rng) {
    const unsigned r = static_cast<unsigned>(rng() % 1000);
    if (r < 700) return 1 + static_cast<int>(rng() % 4);
    if (r < 950) return 5 + static_cast<int>(rng() % 20);
    if (r < 995) return 25 + static_cast<int>(rng() % 75);
    return 100 + static_cast<int>(rng() % 200);
}

std::string MakeBlock(Rng& rng, const std::vector<Person>& people, long long when,
                      std::vector<std::string>& recentLines) {
    std::string b = std::string(37, '=') + "\r\n";
    const bool from = rng() % 2 == 0;
    if (!from && rng() % 50 == 0) {
        b += " To: BROADCAST\r\n";
    } else {
        const int n = from ? 1 : 1 + static_cast<int>(rng() % 100 < 80 ? 0 : rng() % 5);
        for (int i = 0; i < n; ++i) b += AddresseeLine(from ? "From" : "To", Pick(rng, people)) + "\r\n";
    }
    // Dates: `when` counts seconds from 2019-01-01 (a Tuesday), months of 30/31 days.
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long long days = when / 86400;
    const long long secs = when % 86400;
    const int weekDay = static_cast<int>((days + 2) % 7);
    int year = 2019;
    while (true) {
        const int len = (year % 4 == 0) ? 366 : 365;
        if (days < len) break;
        days -= len;
        ++year;
    }
    int month = 0;
    while (true) {
        const int len = kDays[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
        if (days < len) break;
        days -= len;
        ++month;
    }
    char date[96];
    std::snprintf(date, sizeof date, "  at %s %s %2lld %02lld:%02lld:%02lld %d", kWeekDays[weekDay], kMonths[month],
                  days + 1, secs / 3600, secs / 60 % 60, secs % 60, year);
    b += date;
    if (rng() % 10 == 0) b += " (\x8A\x4A\x95\x95)";  // (開封)
    b += "\r\n";
    if (rng() % 20 == 0) b += "  (\x93Y\x95t) report-" + std::to_string(rng() % 1000) + ".pdf\r\n";
    b += std::string(37, '-') + "\r\n";

    if (!recentLines.empty() && rng() % 5 == 0) {
        const int q = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < q; ++i) b += "> " + Pick(rng, recentLines) + "\r\n";
    }
    const int lines = BodyLines(rng);
    for (int i = 0; i < lines; ++i) {
        std::string line;
        const unsigned r = static_cast<unsigned>(rng() % 100);
        if (r < 55) line = Pick(rng, kJapaneseLines);
        else if (r < 90) line = Pick(rng, kEnglishLines);
        else if (r < 97) line = "See " + Pick(rng, kLinks);
        else line = "";
        b += line + "\r\n";
        if (!line.empty() && recentLines.size() < 64) recentLines.push_back(line);
        else if (!line.empty()) recentLines[rng() % recentLines.size()] = line;
    }
    b += "\r\n";
    return b;
}

class QuietUi : public qx::SessionUi {
public:
    std::optional<qx::PasswordEntry> AskPasswordOnce(bool) override { return std::nullopt; }
    void ShowMessage(std::string_view key, std::string_view prefix) override {
        std::cerr << "quillorix-genlog: " << prefix << key << '\n';
    }
    void ShowError(std::string_view text) override { std::cerr << "quillorix-genlog: " << text << '\n'; }
};

int Usage() {
    std::cerr << "usage: quillorix-genlog -n COUNT -o OUT [--seed N] [--save-type 0|1|2]\n"
                 "                        [--header-encode] [--password TEXT]\n"
                 "Writes a generated log of COUNT messages (dates over several years, Japanese\n"
                 "and English text in cp932) in the given save form.\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    long long count = -1;
    unsigned long long seed = 1;
    std::string out, password = "genlog-password";
    qx::WriteOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "-n") count = std::atoll(next().c_str());
        else if (a == "-o") out = next();
        else if (a == "--seed") seed = std::strtoull(next().c_str(), nullptr, 10);
        else if (a == "--save-type") options.saveType = std::atoi(next().c_str());
        else if (a == "--header-encode") options.headerEncode = true;
        else if (a == "--password") password = next();
        else return Usage();
    }
    if (count < 0 || out.empty() || options.saveType < 0 || options.saveType > 2 || password.empty()) return Usage();

    Rng rng(seed);
    const std::vector<Person> people = MakePeople(rng, 60);
    QuietUi ui;
    qx::LogSession session(ui);
    session.CurrentPassword = password;
    session.records.reserve(static_cast<std::size_t>(count));
    std::vector<std::string> recent;
    // Spread the messages over about five years, in order.
    const long long span = 5LL * 365 * 86400;
    long long when = 8 * 3600;
    for (long long i = 0; i < count; ++i) {
        when += 1 + static_cast<long long>(rng() % static_cast<unsigned long long>(std::max(2LL, 2 * span / std::max(count, 1LL))));
        session.records.emplace_back(MakeBlock(rng, people, when, recent));
    }
    return session.WriteLog(out, options) == qx::WriteStatus::Written ? 0 : 2;
}
