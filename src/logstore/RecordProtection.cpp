#include "logstore/LogData.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "crypto/ProtectedText.h"
#include "logstore/HeaderLine.h"
#include "logstore/RecordBytes.h"
#include "logstore/TextArena.h"
#include "text/Cp932.h"
#include "text/TextHash.h"

namespace qx {

using namespace detail;

std::string LogData::HeaderBlock() const {
    std::string out = TopSeparator();
    out += kCrLf;
    out += HeaderText();
    out += kCrLf;
    out += BodySeparator();
    out += kCrLf;
    return out;
}

const std::string& LogData::CipherKey() const {
    static const std::string none;
    return cipherKey_ ? *cipherKey_ : none;
}

void LogData::SetKey(std::string_view password) {
    // The key is the password and a fixed suffix; records read or written under
    // one password share one copy of it.
    auto isKeyOf = [password](const std::string& key) {
        return key.size() == password.size() + kKeySuffix.size() && key.starts_with(password) &&
               key.ends_with(kKeySuffix);
    };
    if (cipherKey_ && isKeyOf(*cipherKey_)) return;
    thread_local std::shared_ptr<const std::string> last;
    if (!last || !isKeyOf(*last)) last = std::make_shared<const std::string>(MakeCipherKey(password));
    cipherKey_ = last;
}

std::string LogData::DecodeText(std::string_view text, int mode) {
    bool ok = passwordOk_;
    std::string r = qx::DecodeText(text, mode, Key(), ok);
    if (mode == kModeEncrypted) passwordOk_ = ok;
    return r;
}

std::string LogData::EncodeText(std::string_view text, int fromMode, int toMode) {
    bool ok = passwordOk_;
    std::string r = qx::EncodeText(text, fromMode, toMode, Key(), ok);
    passwordOk_ = ok;
    return r;
}

std::string LogData::EncryptText(std::string_view text) const { return qx::EncryptText(text, Key()); }

std::string LogData::DecryptText(std::string_view text) {
    bool ok = false;
    std::string r = qx::DecryptText(text, Key(), ok);
    passwordOk_ = ok;
    return r;
}

std::string_view LogData::DecryptHeader(int mode, std::string_view password) {
    if (!password.empty()) SetKey(password);
    if (mode != kModeEncrypted) {
        SetHeaderText(DecodeText(HeaderText(), mode));
        return HeaderText();
    }
    if (headerDecrypted_) return HeaderText();
    // A header is replaced only by a text that encrypts back to what was stored,
    // so that a damaged header is never rewritten in a shortened form.
    if (std::optional<std::string> plain = DecodeExactly(HeaderText(), kModeEncrypted)) {
        SetHeaderText(*plain);
        headerDecrypted_ = true;
    }
    return HeaderText();
}

std::optional<std::string> LogData::DecodeExactly(std::string_view stored, int mode) {
    if (mode == kModeEncrypted) {
        bool exact = false;
        bool ok = passwordOk_;
        std::string plain = qx::DecryptText(stored, Key(), ok, &exact);
        passwordOk_ = ok;
        if (!ok || !exact) return std::nullopt;
        return plain;
    }
    std::string plain = DecodeText(stored, mode);
    if (mode == kModeEncoded) {
        bool ok = true;
        std::string again = qx::EncodeText(plain, kModePlain, kModeEncoded, Key(), ok);
        // Compare line by line: the stored text may end its lines with CR, LF or CR LF.
        if (SplitLines(again) != SplitLines(stored)) return std::nullopt;
    }
    return plain;
}

std::string LogData::PlainBody(std::string_view password) {
    if (!password.empty()) SetKey(password);
    return DecodeText(BodyText(), bodyMode_);
}

void LogData::AppendPlainBody(std::string& out, std::string_view password) {
    if (bodyMode_ == kModeEncrypted) {
        if (!password.empty()) SetKey(password);
        bool ok = passwordOk_;
        qx::DecryptTextAppend(BodyText(), Key(), ok, out);
        passwordOk_ = ok;
    } else if (bodyMode_ == kModeEncoded) {
        out += PlainBody(password);
    } else {
        if (!password.empty()) SetKey(password);
        out += BodyText();
    }
}

std::string LogData::PreviewLine(std::string_view password, std::string_view skipPrefix) {
    SetKey(password);
    std::string decoded;
    std::string_view t = BodyText();
    if (bodyMode_ != kModePlain) {
        decoded = DecodeText(t, bodyMode_);
        t = decoded;
    }
    std::string_view result;
    bool found = false;
    ForEachLine(t, [&](std::string_view line) {
        if (found) return;
        if (skipPrefix.empty() || line.substr(0, skipPrefix.size()) != skipPrefix) {
            result = line;
            found = true;
        }
    });
    return std::string(result);
}

std::string LogData::SaveHeaderBlock(int headerMode, int bodyMode, std::string_view password) {
    std::string out;
    AppendHeaderBlock(out, headerMode, bodyMode, password);
    return out;
}

void LogData::AppendHeaderBlock(std::string& out, int headerMode, int bodyMode, std::string_view password) {
    SetKey(password);
    if (HeaderEncrypted()) {
        // Cipher text that no known password opens: keep it and its mark.
        out += TopSeparator();
        out += kCrLf;
        out += HeaderText();
        out += kCrLf;
    } else {
        // A header the mode cannot carry whole stays plain rather than lose bytes.
        if (headerMode != kModePlain && !qx::EncodesExactly(HeaderText(), headerMode)) headerMode = kModePlain;
        out += kTopRun;
        out += MarkOfMode(headerMode, '=');
        out += kCrLf;
        if (headerMode != kModePlain) {
            out += EncodeText(HeaderText(), kModePlain, headerMode);
        } else {
            out += HeaderText();
            out += kCrLf;
        }
    }
    out += kBodyRun;
    out += MarkOfMode(bodyMode, '-');
    out += kCrLf;
}

std::string LogData::SaveBody(int toMode, std::string_view password, int* writtenMode) {
    if (!password.empty()) SetKey(password);
    if (toMode != kModeEncoded && toMode != kModeEncrypted) toMode = kModePlain;
    int mode = toMode;
    std::string out;
    if ((bodyMode_ == kModeEncrypted || bodyMode_ == kModeEncoded) && toMode != bodyMode_) {
        // Text that does not decode back to exactly what was stored (a wrong
        // password, a damaged or foreign encoding) is written as it was read.
        std::optional<std::string> plain = DecodeExactly(BodyText(), bodyMode_);
        if (!plain) {
            out = std::string(BodyText());
            mode = bodyMode_;
        } else if (toMode == kModePlain || !qx::EncodesExactly(*plain, toMode)) {
            // A text the mode cannot carry whole is written plain rather than cut.
            out = std::move(*plain);
            mode = kModePlain;
        } else {
            bool ok = true;
            out = qx::EncodeText(*plain, kModePlain, toMode, Key(), ok);
        }
    } else if (toMode != kModePlain && bodyMode_ == kModePlain && !qx::EncodesExactly(BodyText(), toMode)) {
        out = std::string(BodyText());
        mode = kModePlain;
    } else if (toMode != kModePlain) {
        out = EncodeText(BodyText(), bodyMode_, toMode);
    } else {
        out = DecodeText(BodyText(), bodyMode_);
    }
    if (writtenMode) *writtenMode = mode;
    return out;
}

}  // namespace qx
