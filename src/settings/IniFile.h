// In-memory ini file: sections of key=value entries, read from and written to
// cp932 text.
//
// Reading trims every line, skips empty lines and lines starting with ";", and
// ignores entries before the first section. Section and key names compare
// without regard to ASCII letter case. Writing produces the sections and keys in
// the order they were first written, each section followed by an empty line, with
// CR LF line ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qx {

class IniFile {
public:
    IniFile() = default;

    // Builds the image of an ini text (any of CR LF, CR, LF ends a line).
    static IniFile Parse(std::string_view text);

    // Replaces the contents with the file at path. A file that does not exist reads
    // as empty and succeeds; one that exists but cannot be read fails with a reason
    // in error and leaves the contents empty.
    bool LoadFile(const std::string& path, std::string& error);

    // Writes Text() to path, replacing the file. Fails with a reason in error.
    bool SaveFile(const std::string& path, std::string& error) const;

    // The whole image as written to disk.
    std::string Text() const;

    // The trimmed value of an entry; nothing when the section or key is absent.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A value that is no integer (see ParseIniInteger) gives defaultValue.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // An integer, true when non-zero; a value that is no integer gives defaultValue.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Sets a value, adding the section and key at the end when they are new.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    // Key names of a section in file order; empty when the section is absent.
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);

    std::vector<Section> sections_;
};

}  // namespace qx
