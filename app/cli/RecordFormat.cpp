#include "RecordFormat.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "text/Encoding.h"

namespace qx::cli {

namespace {

enum class Kind { Text, Number, Bool };

struct Column {
    const char* name;
    Kind kind;
    std::function<std::string(const LogData&, std::size_t, std::string_view)> value;
};

std::string Num(long long v) { return std::to_string(v); }

const std::vector<Column>& Columns() {
    using R = const LogData&;
    using B = std::string_view;
    static const std::vector<Column> columns = {
        {"Index", Kind::Number, [](R, std::size_t i, B) { return Num(static_cast<long long>(i)); }},
        {"Direction", Kind::Text, [](R r, std::size_t, B) { return std::string(r.Direction()); }},
        {"UserName", Kind::Text, [](R r, std::size_t, B) { return std::string(r.UserName()); }},
        {"BracketName", Kind::Text, [](R r, std::size_t, B) { return std::string(r.BracketName()); }},
        {"GroupName", Kind::Text, [](R r, std::size_t, B) { return std::string(r.GroupName()); }},
        {"HostName", Kind::Text, [](R r, std::size_t, B) { return std::string(r.HostName()); }},
        {"IpAddress", Kind::Text, [](R r, std::size_t, B) { return std::string(r.IpAddress()); }},
        {"Year", Kind::Text, [](R r, std::size_t, B) { return std::string(r.Year()); }},
        {"Month", Kind::Text, [](R r, std::size_t, B) { return std::string(r.Month()); }},
        {"Day", Kind::Text, [](R r, std::size_t, B) { return std::string(r.Day()); }},
        {"WeekDay", Kind::Text, [](R r, std::size_t, B) { return std::string(r.WeekDay()); }},
        {"Time", Kind::Text, [](R r, std::size_t, B) { return std::string(r.Time()); }},
        {"AttachLine", Kind::Text, [](R r, std::size_t, B) { return std::string(r.AttachLine()); }},
        {"DateNote", Kind::Text, [](R r, std::size_t, B) { return std::string(r.DateNote()); }},
        {"TopSeparator", Kind::Text, [](R r, std::size_t, B) { return r.TopSeparator(); }},
        {"HeaderText", Kind::Text, [](R r, std::size_t, B) { return std::string(r.HeaderText()); }},
        {"BodySeparator", Kind::Text, [](R r, std::size_t, B) { return r.BodySeparator(); }},
        {"BodyText", Kind::Text, [](R r, std::size_t, B) { return std::string(r.BodyText()); }},
        {"PlainBody", Kind::Text, [](R, std::size_t, B b) { return std::string(b); }},
        {"BodyMode", Kind::Number, [](R r, std::size_t, B) { return Num(r.BodyMode()); }},
        {"HeaderMode", Kind::Number, [](R r, std::size_t, B) { return Num(r.HeaderMode()); }},
        {"AddresseeCount", Kind::Number, [](R r, std::size_t, B) { return Num(r.AddresseeCount()); }},
        {"PasswordOk", Kind::Bool, [](R r, std::size_t, B) { return std::string(r.PasswordOk() ? "true" : "false"); }},
        {"Deleted", Kind::Bool, [](R r, std::size_t, B) { return std::string(r.Deleted() ? "true" : "false"); }},
    };
    return columns;
}

std::string CsvField(std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8);
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

std::string JsonString(std::string_view cp932) {
    const std::string utf8 = Cp932ToUtf8(cp932);
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

std::string RecordJson(const LogData& r, std::size_t index, std::string_view plainBody) {
    std::string out = "{";
    bool first = true;
    for (const Column& c : Columns()) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += c.name;
        out += "\":";
        const std::string v = c.value(r, index, plainBody);
        out += c.kind == Kind::Text ? JsonString(v) : v;
    }
    out += '}';
    return out;
}

std::string CsvHeader() {
    std::string out;
    for (const Column& c : Columns()) {
        if (!out.empty()) out += ',';
        out += c.name;
    }
    out += "\r\n";
    return out;
}

std::string RecordCsv(const LogData& r, std::size_t index, std::string_view plainBody) {
    std::string out;
    bool first = true;
    for (const Column& c : Columns()) {
        if (!first) out += ',';
        first = false;
        const std::string v = c.value(r, index, plainBody);
        out += c.kind == Kind::Text ? CsvField(Cp932ToUtf8(v)) : v;
    }
    out += "\r\n";
    return out;
}

std::string RecordText(const LogData& r, std::string_view plainBody) {
    std::string out = Cp932ToUtf8(r.HeaderText());
    out += "\n----------------------------------------\n";
    std::string body = Cp932ToUtf8(plainBody);
    // Show the body with the terminal's line ends.
    std::string lines;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') continue;
        lines += body[i];
    }
    out += lines;
    if (!lines.empty() && lines.back() != '\n') out += '\n';
    out += '\n';
    return out;
}

}  // namespace qx::cli
