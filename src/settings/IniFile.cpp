#include "settings/IniFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "settings/IniValues.h"
#include "text/Cp932.h"

namespace qx {

namespace {

bool IsSectionLine(std::string_view line) {
    // The closing bracket must be a character of its own, not the trail byte of a
    // double-byte character (0x5D is a valid trail byte).
    return line.size() >= 2 && line.front() == '[' && LastPos("]", line) == line.size();
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    Section* current = nullptr;
    ForEachLine(text, [&](std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == ';') return;
        if (IsSectionLine(line)) {
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            // A section named twice continues the first one.
            current = ini.FindSection(name);
            if (current == nullptr) {
                ini.sections_.push_back(Section{std::string(name), {}});
                current = &ini.sections_.back();
            }
            return;
        }
        if (current == nullptr) return;  // entries before the first section
        const std::size_t eq = Pos("=", line);
        if (eq == 0) return;  // no entry without "="
        const std::string_view key = Trim(line.substr(0, eq - 1));
        if (key.empty()) return;
        const std::string_view value = Trim(line.substr(eq));
        // The first entry of a key wins, as the value later readers see.
        for (const auto& entry : current->entries) {
            if (EqualsIgnoreAsciiCase(entry.first, key)) return;
        }
        current->entries.emplace_back(std::string(key), std::string(value));
    });
    return ini;
}

bool IniFile::LoadFile(const std::string& path, std::string& error) {
    sections_.clear();
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::exists(p, ec)) {
        if (ec) {
            error = path + ": " + ec.message();
            return false;
        }
        return true;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        error = path + ": cannot be opened for reading";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": read error";
        return false;
    }
    *this = Parse(text);
    return true;
}

bool IniFile::SaveFile(const std::string& path, std::string& error) const {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        error = path + ": cannot be opened for writing";
        return false;
    }
    const std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
        error = path + ": write error";
        return false;
    }
    return true;
}

std::string IniFile::Text() const {
    std::string out;
    for (const Section& s : sections_) {
        out += '[';
        out += s.name;
        out += "]\r\n";
        for (const auto& [key, value] : s.entries) {
            out += key;
            out += '=';
            out += value;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (s == nullptr) return std::nullopt;
    for (const auto& entry : s->entries) {
        if (EqualsIgnoreAsciiCase(entry.first, key)) return entry.second;
    }
    return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    auto v = Value(section, key);
    return v ? std::move(*v) : std::string(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const auto v = Value(section, key);
    if (!v) return defaultValue;
    return ParseIniInteger(*v).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (s == nullptr) {
        sections_.push_back(Section{std::string(section), {}});
        s = &sections_.back();
    }
    for (auto& entry : s->entries) {
        if (EqualsIgnoreAsciiCase(entry.first, key)) {
            entry.second = std::string(value);
            return;
        }
    }
    s->entries.emplace_back(std::string(key), std::string(value));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = FindSection(section)) {
        for (const auto& entry : s->entries) names.push_back(entry.first);
    }
    return names;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const Section& s : sections_) {
        if (EqualsIgnoreAsciiCase(s.name, name)) return &s;
    }
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

}  // namespace qx
