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

bool IsTopSeparator(std::string_view line) { return IsSeparatorOf(line, kTopRun); }
bool IsBodySeparator(std::string_view line) { return IsSeparatorOf(line, kBodyRun); }

LogData::LogData(std::string_view blockText, const std::shared_ptr<const void>& storage, bool crlfText,
                 TextArena* arena, HeaderLineMemo* memo) {
    // Walk the lines up to the body separator; the body is everything after it.
    std::size_t pos = 0;
    std::size_t headerBegin = 0, headerEnd = 0;  // header lines with their line ends
    bool headerCrLf = true;                       // every header line ends in CR LF
    bool inHeader = false;
    bool sawBodySeparator = false;
    // The header lines as found here, so that the parser need not find them again.
    constexpr std::size_t kKeptLines = 16;
    ViewSlots<kKeptLines> found;
    std::size_t headerLineCount = 0;
    while (pos < blockText.size()) {
        const LineSpan span = NextLine(blockText, pos);
        const std::size_t lineEnd = static_cast<std::size_t>(span.line.data() - blockText.data()) +
                                    span.line.size();
        pos = span.next;
        if (!inHeader) {
            if (IsTopSeparator(span.line)) {
                topMark_ = span.line[36];
                hasTop_ = true;
                inHeader = true;
                headerBegin = headerEnd = pos;
            }
        } else if (IsBodySeparator(span.line)) {
            bodyMark_ = span.line[36];
            hasBody_ = true;
            sawBodySeparator = true;
            break;
        } else {
            if (pos != lineEnd + 2 || blockText[lineEnd] != '\r') headerCrLf = false;
            headerEnd = pos;
            if (headerLineCount < kKeptLines) found.at[headerLineCount] = span.line;
            ++headerLineCount;
        }
    }

    if (!sawBodySeparator) {
        // No body separator: nothing of the header counts and the body stays empty.
        bodyMark_ = 0;
        return;
    }
    headerMode_ = static_cast<std::int8_t>(ModeOfMark(topMark_, '='));
    bodyMode_ = static_cast<std::int8_t>(ModeOfMark(bodyMark_, '-'));
    // The lines found are the lines of the header text when every one ended in
    // CR LF and the text stays as read (a mode-1 header is decoded first). An
    // empty line means nothing to the parser.
    const LineList lineList{found.at, headerLineCount};
    const LineList* knownLines =
        headerCrLf && headerLineCount <= kKeptLines && headerMode_ != kModeEncoded ? &lineList : nullptr;

    // The header text is its lines joined by CR LF. When they already stand so in
    // the block and the block's storage is kept, the header stays there.
    const std::string_view headerLines = blockText.substr(headerBegin, headerEnd - headerBegin);
    std::string header;
    if (headerCrLf) {
        const std::string_view joined = headerLines.substr(0, headerLines.size() > 2 ? headerLines.size() - 2 : 0);
        if (storage && !joined.empty()) {
            storage_ = storage;
            headerStored_ = true;
            headerData_ = joined.data();
            headerSize_ = static_cast<std::uint32_t>(joined.size());
        } else {
            header.assign(joined);
        }
    } else {
        ForEachLine(headerLines, [&](std::string_view line) {
            header.append(line);
            header.append(kCrLf);
        });
        if (header.size() > 2) header.resize(header.size() - 2);
        else header.clear();
    }

    // The header fields are packed first; a body that cannot stay in the storage
    // is copied once at the end.
    if (header.empty()) text_.clear();
    else text_.edit() = std::move(header);
    for (int i = 0; i < kHeaderText; ++i) end_[i] = 0;
    end_[kHeaderText] = static_cast<std::uint32_t>(text_.size());

    if (headerMode_ == kModeEncoded) {
        // Each line was encoded on its own; decoding ends every line with CR LF.
        std::string stored(HeaderText());
        stored.append(kCrLf);
        if (std::optional<std::string> plain = DecodeExactly(stored, kModeEncoded)) {
            if (plain->size() >= 2) plain->resize(plain->size() - 2);
            SetHeaderText(*plain);
            headerDecrypted_ = true;
        }
    }
    const std::string_view rest = blockText.substr(pos);
    const bool asStored = crlfText || IsCrLfText(rest);
    if (asStored && storage && !rest.empty()) {
        if (!storage_) storage_ = storage;
        bodyStored_ = true;
        bodyData_ = rest.data();
        bodySize_ = rest.size();
        if (headerMode_ != kModeEncrypted) ParseHeaderReserving(0, arena, knownLines, nullptr, memo);
        return;
    }
    // The parsed fields are packed with room for the body, so appending it below
    // moves nothing.
    if (headerMode_ != kModeEncrypted) ParseHeaderReserving(rest.size(), nullptr, knownLines, nullptr, memo);

    if (asStored) {
        std::string& text = text_.edit();
        text.reserve(text.size() + rest.size());
        text.append(rest);
    } else {
        std::string& text = text_.edit();
        text.reserve(text.size() + rest.size() + rest.size() / 8 + 2);
        ForEachLine(rest, [&](std::string_view line) {
            text.append(line);
            text.append(kCrLf);
        });
    }
}

void LogData::SetFields(int first, const std::string_view* values, int count, std::size_t extraCapacity,
                        TextArena* arena) {
    // The new fields, in order; the old ones are read before anything changes,
    // so that a value may even point into the old text.
    ViewSlots<kFieldCount - 1> slots;
    std::string_view* pieces = slots.at;
    std::size_t total = 0;
    const bool newHeader = kHeaderText >= first && kHeaderText < first + count;
    if (first == 0 && count >= kHeaderText) {
        // Every field before the header text is given, as a parse gives them.
        for (int id = 0; id < kHeaderText; ++id) {
            pieces[id] = values[id];
            total += values[id].size();
        }
        pieces[kHeaderText] = count > kHeaderText ? values[kHeaderText]
                              : headerStored_     ? std::string_view()
                                                  : Field(kHeaderText);
        total += pieces[kHeaderText].size();
    } else {
        for (int id = 0; id < kFieldCount - 1; ++id) {
            if (id >= first && id < first + count) pieces[id] = values[id - first];
            else if (id != kHeaderText || !headerStored_) pieces[id] = Field(id);
            else pieces[id] = {};
            total += pieces[id].size();
        }
    }
    std::uint32_t ends[kFieldCount - 1];
    auto pack = [&](char* out) {
        std::size_t at = 0;
        for (int id = 0; id < kFieldCount - 1; ++id) {
            CopyBytes(out + at, pieces[id].data(), pieces[id].size());
            at += pieces[id].size();
            ends[id] = static_cast<std::uint32_t>(at);
        }
    };
    if (arena && bodyStored_) {
        char* out = arena->Allocate(total);
        pack(out);
        fieldsData_ = out;
        text_.clear();
    } else {
        const std::string_view body = bodyStored_ ? std::string_view() : BodyText();
        std::string packed;
        packed.reserve(total + body.size() + extraCapacity);
        packed.resize(total);
        pack(packed.data());
        packed.append(body);
        text_.edit().swap(packed);
        fieldsData_ = nullptr;
    }
    std::copy(std::begin(ends), std::end(ends), std::begin(end_));
    if (newHeader) {
        headerStored_ = false;
        headerData_ = nullptr;
        headerSize_ = 0;
        if (!bodyStored_) storage_.reset();
    }
}

void LogData::SetHeaderText(std::string_view text) {
    // SetFields builds the new text before it lets go of the old, so text may
    // even point into text_.
    SetFields(kHeaderText, &text, 1);
}

void LogData::OwnText() {
    if (!fieldsData_) return;
    text_.edit().assign(fieldsData_, end_[kHeaderText]);
    fieldsData_ = nullptr;
}

void LogData::OwnBody() {
    if (!bodyStored_) return;
    OwnText();
    std::string& text = text_.edit();
    text.reserve(text.size() + bodySize_);
    text.append(bodyData_, bodySize_);
    bodyStored_ = false;
    bodyData_ = nullptr;
    bodySize_ = 0;
    if (!headerStored_) storage_.reset();
}

void LogData::AppendBody(std::string_view text) {
    OwnBody();
    text_.edit().append(text);
}

void LogData::TruncateBody(std::size_t length) {
    if (bodyStored_) {
        bodySize_ = std::min(bodySize_, length);
        return;
    }
    const std::size_t start = end_[kHeaderText];
    if (start + length < text_.size()) text_.edit().resize(start + length);
}

std::string LogData::TopSeparator() const {
    if (!hasTop_) return {};
    return std::string(kTopRun) + topMark_;
}

std::string LogData::BodySeparator() const {
    if (!hasBody_) return {};
    return std::string(kBodyRun) + bodyMark_;
}

}  // namespace qx
