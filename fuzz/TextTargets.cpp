// Fuzz targets of the text codecs and the ini readers.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "crypto/Base64.h"
#include "crypto/ProtectedText.h"
#include "kernels/Kernels.h"
#include "settings/IniFile.h"
#include "settings/IniValues.h"
#include "settings/LanguageFile.h"
#include "text/Cp932.h"
#include "text/Cp932.h"

namespace qx::fuzz {

namespace {

// The text without the zero bytes that end a line or the text: those are taken
// for padding by the decoders; zero bytes anywhere else are text.
std::string WithoutEndingZeros(std::string_view s) {
    std::string out;
    std::size_t zeros = 0;  // held back until something other than a line end follows
    for (char c : s) {
        if (c == '\0') {
            ++zeros;
            continue;
        }
        if (c != '\r' && c != '\n') out.append(zeros, '\0');
        zeros = 0;
        out += c;
    }
    return out;
}

bool IsBase64Digit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Each line of text followed by CR LF, as the line-wise decoder gives it back.
std::string LinesWithCrLf(std::string_view text) {
    std::string out;
    ForEachLine(text, [&](std::string_view line) {
        out.append(line);
        out.append("\r\n");
    });
    return out;
}

// The last character is a lead byte without a byte behind it.
bool EndsInLoneLeadByte(std::string_view s) {
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < s.size()) {
        last = i;
        i += CharLength(s, i);
    }
    return !s.empty() && last == s.size() - 1 && IsLeadByte(static_cast<unsigned char>(s.back()));
}

}  // namespace

namespace {

// The decoder's rules one character at a time: digits fill groups of four, CR and
// LF are copied and drop an unfinished group, any other byte counts as digit 0.
std::string DecodeCharByChar(std::string_view text) {
    static const std::string_view digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t group = 0;
    int count = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            out += c;
            group = 0;
            count = 0;
            continue;
        }
        const std::size_t d = digits.find(c);
        group = (group << 6) | static_cast<std::uint32_t>(d == std::string_view::npos ? 0 : d);
        if (++count == 4) {
            out += static_cast<char>(group >> 16);
            out += static_cast<char>(group >> 8);
            out += static_cast<char>(group);
            group = 0;
            count = 0;
        }
    }
    return out;
}

}  // namespace

bool Base64Target(std::string_view input) {
    // The buffer is exactly as large as the decoder's contract says, so that the
    // address sanitizer sees any write past it.
    auto buffer = std::make_unique<std::uint8_t[]>(input.size() + 1);
    const std::size_t n = Base64Decode(input, buffer.get());
    if (n > input.size() || buffer[n] != 0) return false;
    if (Base64Decode(input) != std::string_view(reinterpret_cast<const char*>(buffer.get()), n)) {
        return false;
    }
    if (DecodeCharByChar(input) != std::string_view(reinterpret_cast<const char*>(buffer.get()), n)) return false;
    // Every kernel decodes the same bytes and finds the same digits.
    const bool digits = IsBase64Digits(input);
    for (const kernels::Version v : kernels::Supported()) {
        const kernels::ScopedKernel use(v);
        auto again = std::make_unique<std::uint8_t[]>(input.size() + 1);
        if (Base64Decode(input, again.get()) != n || std::memcmp(again.get(), buffer.get(), n + 1) != 0) return false;
        if (IsBase64Digits(input) != digits) return false;
    }

    // Unpadded encoding: the decoder gives the bytes back plus the zero bytes that
    // filled the last group.
    const std::string encoded = Base64Encode(input);
    if (encoded.size() != (input.size() + 2) / 3 * 4) return false;
    if (!std::all_of(encoded.begin(), encoded.end(), IsBase64Digit)) return false;
    const std::string decoded = Base64Decode(encoded);
    if (decoded.size() < input.size() || decoded.size() > input.size() + 2) return false;
    if (std::string_view(decoded).substr(0, input.size()) != input) return false;
    if (decoded.find_first_not_of('\0', input.size()) != std::string::npos) return false;

    // Line-wise encoding of a text, and back.
    const std::string text = WithoutEndingZeros(input);
    if (!EncodesExactly(text, 1)) return false;
    bool ok = true;
    const std::string lines = EncodeText(text, 0, 1, "", ok);
    return DecodeText(lines, 1, "", ok) == LinesWithCrLf(text);
}

bool DecryptTarget(std::string_view input) {
    if (input.empty()) return true;
    const std::size_t keyLength = 1 + static_cast<unsigned char>(input[0]) % 80;
    input.remove_prefix(1);
    const std::string_view key = input.substr(0, keyLength);
    if (key.empty()) return true;
    const std::string_view text = input.substr(key.size());

    bool ok = false;
    const std::string plain = DecryptText(text, key, ok);
    // The zero bytes that pad the last block are never part of the text.
    if (ok ? !plain.empty() && plain.back() == '\0' : plain != kPasswordNg) return false;
    std::string appended = "before";
    bool okAppended = !ok;
    DecryptTextAppend(text, key, okAppended, appended);
    if (appended != "before" + plain || okAppended != ok) return false;
    bool ok2 = !ok;
    if (DecodeText(text, 2, key, ok2) != plain || ok2 != ok) return false;
    bool ok3 = false;
    (void)EncodeText(text, 2, 1, key, ok3);
    if (ok3 != ok) return false;

    // Anything that does not end in a zero byte survives encryption under any key.
    const std::string original = WithoutEndingZeros(text);
    if (!EncodesExactly(original, 2)) return false;
    const std::string cipher = EncryptText(original, key);
    if (!std::all_of(cipher.begin(), cipher.end(), IsBase64Digit)) return false;
    bool back = false;
    if (DecryptText(cipher, key, back) != original || !back) return false;

    // "Exact" must say whether encrypting the result gives back the text, for
    // the cipher text and for damaged copies of it.
    auto exactAgrees = [&](std::string_view stored) {
        bool okHere = false, exact = false;
        const std::string readable = DecryptText(stored, key, okHere, &exact);
        return exact == (okHere && EncryptText(readable, key) == Trim(stored));
    };
    if (!exactAgrees(text) || !exactAgrees(cipher)) return false;
    const std::size_t at = text.empty() ? 0 : static_cast<unsigned char>(text[0]) % (cipher.size() + 1);
    const std::string tail(text.substr(0, std::min<std::size_t>(text.size(), 3)));
    std::string changed = cipher;
    if (at < changed.size() && !text.empty()) changed[at] = text.back();
    return exactAgrees(cipher + tail) && exactAgrees(cipher.substr(0, at)) && exactAgrees(changed) &&
           exactAgrees(cipher + std::string(8, 'A')) && exactAgrees(" " + cipher + "\r\n");
}

bool IniTarget(std::string_view input) {
    const IniFile ini = IniFile::Parse(input);
    const std::string text = ini.Text();
    // Writing what was read and reading it again changes nothing, except for a
    // name cut by trimming right after a lead byte (its "trail" was a blank):
    // written back, the "]" or "=" behind it becomes a trail byte. Only broken
    // cp932 does that; it is a known limit of the writer.
    bool cutName = false;
    for (const std::string& section : ini.SectionNames()) {
        cutName = cutName || EndsInLoneLeadByte(section);
        for (const std::string& key : ini.KeyNames(section)) cutName = cutName || EndsInLoneLeadByte(key);
    }
    const IniFile again = IniFile::Parse(text);
    if (!cutName && again.Text() != text) return false;

    for (const std::string& section : ini.SectionNames()) {
        if (!ini.HasSection(section)) return false;
        for (const std::string& key : ini.KeyNames(section)) {
            const std::optional<std::string> value = ini.Value(section, key);
            if (!value || ini.ReadString(section, key, "-") != *value) return false;
            if (*value != Trim(*value)) return false;
            const std::optional<std::int32_t> number = ParseIniInteger(*value);
            if (ini.ReadInteger(section, key, 7) != number.value_or(7)) return false;
            if (ini.ReadBool(section, key, true) != (number.value_or(1) != 0)) return false;
            (void)ParseColour(*value);
            const std::string unquoted = Unquote(*value);
            if (unquoted.size() > value->size()) return false;
            if (Unquote(Quote(*value)) != *value) return false;
        }
    }
    return true;
}

bool LanguageTarget(std::string_view input) {
    // The whole input as one value of each kind.
    const std::vector<std::string> items = SplitCommaText(input);
    std::size_t itemBytes = 0;
    for (const std::string& item : items) itemBytes += item.size();
    if (itemBytes > input.size()) return false;
    // The items written back as quoted texts read as the same items.
    std::string quoted;
    for (const std::string& item : items) {
        if (!quoted.empty()) quoted += ',';
        quoted += '"';
        for (char c : item) {
            if (c == '"') quoted += '"';
            quoted += c;
        }
        quoted += '"';
    }
    if (SplitCommaText(quoted) != items) return false;
    if (LanguageList(input).size() != items.size()) return false;
    if (LanguagePlain(input).size() > input.size() || LanguageMessage(input).size() > input.size()) {
        return false;
    }

    // And as a language file.
    const LanguageFile file = LanguageFile::Parse(input);
    for (const std::string& section : file.Ini().SectionNames()) {
        for (const std::string& key : file.Ini().KeyNames(section)) {
            const std::string value = file.Ini().ReadString(section, key, "");
            if (!file.Has(section, key)) return false;
            if (file.List(section, key).size() != SplitCommaText(value).size()) return false;
            if (file.Plain(section, key) != LanguagePlain(value)) return false;
            if (file.Message(section, key) != LanguageMessage(value)) return false;
        }
    }
    return true;
}

}  // namespace qx::fuzz
