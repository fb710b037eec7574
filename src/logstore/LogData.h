// One message of the log: the pieces of its block and what the header says.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class TextArena;

// Protection modes of a header or body.
enum : int { kModePlain = 0, kModeEncoded = 1, kModeEncrypted = 2, kModeUnknown = -1 };

inline constexpr std::string_view kTopRun = "====================================";     // 36
inline constexpr std::string_view kBodyRun = "------------------------------------";    // 36
inline constexpr std::string_view kFullWidthSpace = "\x81\x40";

// A top separator: exactly 37 bytes, the first 36 "=".
bool IsTopSeparator(std::string_view line);
// A body separator: exactly 37 bytes, the first 36 "-".
bool IsBodySeparator(std::string_view line);

// Text a record owns, one pointer wide: most records keep their text elsewhere
// (in the buffer they were read from and an arena), and leave this empty.
class OwnedText {
public:
    OwnedText() = default;
    OwnedText(const OwnedText& o) : s_(o.size() ? std::make_unique<std::string>(*o.s_) : nullptr) {}
    OwnedText(OwnedText&&) noexcept = default;
    OwnedText& operator=(const OwnedText& o) {
        if (this != &o) s_ = o.size() ? std::make_unique<std::string>(*o.s_) : nullptr;
        return *this;
    }
    OwnedText& operator=(OwnedText&&) noexcept = default;

    std::string_view view() const { return s_ ? std::string_view(*s_) : std::string_view(); }
    std::size_t size() const { return s_ ? s_->size() : 0; }
    // The text, to change it.
    std::string& edit() {
        if (!s_) s_ = std::make_unique<std::string>();
        return *s_;
    }
    void clear() { s_.reset(); }

private:
    std::unique_ptr<std::string> s_;
};

// What the first addressee line of a header gave, for lines seen before: a log
// holds the same few sender and addressee lines again and again, and such a
// line need not be taken apart each time. One for each thread that builds records.
class HeaderLineMemo {
public:
    // The direction, then the five name lists (each ended by its ","), as the
    // line gives them to a header with no addressee before it.
    struct Fields {
        std::string text[6];
    };
    static std::uint64_t Hash(std::string_view line);
    const Fields* Find(std::string_view line, std::uint64_t hash) const;
    // Keeps the fields of a line (when there is still room).
    void Add(std::string_view line, std::uint64_t hash, const std::string_view* fields);

private:
    static constexpr std::size_t kSlots = 512;  // at most three quarters of them in use
    struct Slot {
        std::string line;
        std::uint64_t hash = 0;
        bool used = false;
        Fields fields;
    };
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

class LogData {
public:
    LogData() = default;
    // Builds the record from the text of one block (its lines, each ended by CR LF).
    // When `storage` keeps blockText's bytes alive and unchanged, a body that needs
    // no conversion stays in it instead of being copied. crlfText says that the
    // caller knows every line of blockText to end in CR LF, with no other CR in it.
    // With an arena, whose owner `storage` must then be, the header fields of a
    // record whose body stays in the storage are written to the arena (with the
    // header text, when that could not stay in the storage).
    // A memo, when given, recalls the fields of an addressee line seen before.
    explicit LogData(std::string_view blockText, const std::shared_ptr<const void>& storage = {},
                     bool crlfText = false, TextArena* arena = nullptr, HeaderLineMemo* memo = nullptr);

    // Header fields. List fields hold one entry per addressee line, each followed by ",".
    std::string_view Direction() const { return Field(kDirection); }
    std::string_view UserName() const { return Field(kUserName); }
    std::string_view BracketName() const { return Field(kBracketName); }
    std::string_view GroupName() const { return Field(kGroupName); }
    std::string_view HostName() const { return Field(kHostName); }
    std::string_view IpAddress() const { return Field(kIpAddress); }
    std::string_view Year() const { return Field(kYear); }
    std::string_view Month() const { return Field(kMonth); }
    std::string_view Day() const { return Field(kDay); }
    std::string_view WeekDay() const { return Field(kWeekDay); }
    std::string_view Time() const { return Field(kTime); }
    std::string_view AttachLine() const { return Field(kAttachLine); }
    std::string_view DateNote() const { return Field(kDateNote); }
    std::string_view HeaderText() const { return Field(kHeaderText); }
    // The body lines as stored, each followed by CR LF (still encoded for modes 1 and 2).
    std::string_view BodyText() const { return Field(kBodyText); }
    std::string TopSeparator() const;
    std::string BodySeparator() const;
    char TopMark() const { return topMark_; }
    char BodyMark() const { return bodyMark_; }
    bool HasTopSeparator() const { return hasTop_; }
    bool HasBodySeparator() const { return hasBody_; }
    const std::string& CipherKey() const;
    // Drops the key the last protected-text operation left, as a record just read has none.
    void ForgetKey() { cipherKey_.reset(); }

    int BodyMode() const { return bodyMode_; }
    int HeaderMode() const { return headerMode_; }
    int AddresseeCount() const { return addresseeCount_; }
    bool PasswordOk() const { return passwordOk_; }
    bool Deleted() const { return deleted_; }
    // A mode-1 or mode-2 header whose text is still in its stored form: not
    // decrypted yet, or stored text that does not decode back to itself (damaged).
    bool HeaderEncrypted() const {
        return (headerMode_ == kModeEncrypted || headerMode_ == kModeEncoded) && !headerDecrypted_;
    }

    void SetDeleted(bool flag) { deleted_ = flag; }
    // Runs the header parser over HeaderText. Call at most once per record.
    void ParseHeader();
    void AppendBody(std::string_view text);
    // Cuts the body back to `length` bytes (undoing an AppendBody).
    void TruncateBody(std::size_t length);

    // "01".."12"; "01" when Month is not one of the English three-letter names.
    std::string MonthNumber() const;
    // The same as a number, 1..12.
    int MonthIndex() const;
    std::string DateString(bool monthFirst) const;
    // TopSeparator CR LF HeaderText CR LF BodySeparator CR LF.
    std::string HeaderBlock() const;

    // Protected-text operations keyed with CipherKey; they keep PasswordOk current.
    std::string DecodeText(std::string_view text, int mode);
    std::string EncodeText(std::string_view text, int fromMode, int toMode);
    std::string EncryptText(std::string_view text) const;
    std::string DecryptText(std::string_view text);
    std::string_view DecryptHeader(int mode, std::string_view password);
    // For an encrypted header not opened yet: DecryptHeader, then ParseHeader when
    // it opened, with the fields written to `arena` (whose owner holds this
    // record) when the body stays in the storage.
    void OpenHeader(std::string_view password, TextArena* arena = nullptr, HeaderLineMemo* memo = nullptr);
    std::string PlainBody(std::string_view password);
    // The same, appended to out.
    void AppendPlainBody(std::string& out, std::string_view password);
    std::string PreviewLine(std::string_view password, std::string_view skipPrefix);

    // The separator and header lines to write. A header that could not be
    // decrypted is written as it was read, with its mark kept.
    std::string SaveHeaderBlock(int headerMode, int bodyMode, std::string_view password);
    // The same, appended to out.
    void AppendHeaderBlock(std::string& out, int headerMode, int bodyMode, std::string_view password);
    // The body lines to write in toMode. *writtenMode receives the mode actually
    // written: a mode-2 body that does not decrypt with the password is written as
    // it was read (mode 2) instead of as the failure text.
    std::string SaveBody(int toMode, std::string_view password, int* writtenMode = nullptr);

    // Bytes of this record's text: every field, the body included.
    std::size_t TextBytes() const {
        return Text().size() + (headerStored_ ? headerSize_ : 0) + (bodyStored_ ? bodySize_ : 0);
    }

private:
    enum FieldId : int {
        kDirection, kUserName, kBracketName, kGroupName, kHostName, kIpAddress, kYear, kMonth,
        kDay, kWeekDay, kTime, kAttachLine, kDateNote, kHeaderText, kBodyText, kFieldCount
    };

    std::string_view Field(int id) const {
        if (id == kBodyText && bodyStored_) return std::string_view(bodyData_, bodySize_);
        if (id == kHeaderText && headerStored_) return std::string_view(headerData_, headerSize_);
        const std::string_view text = Text();
        const std::uint32_t b = id == 0 ? 0 : end_[id - 1];
        const std::size_t e = id == kBodyText ? text.size() : end_[id];
        return text.substr(b, e - b);
    }
    // What text_ holds, wherever it is: with the body in the storage, it may be in an arena.
    std::string_view Text() const {
        return fieldsData_ ? std::string_view(fieldsData_, end_[kHeaderText]) : text_.view();
    }
    // Copies fields kept in an arena into text_, so that text_ can change.
    void OwnText();
    // Replaces the fields [first, last] (all before the body) and re-packs the text.
    // extraCapacity: room to keep for text appended to the body next.
    void SetFields(int first, const std::string_view* values, int count, std::size_t extraCapacity = 0,
                   TextArena* arena = nullptr);
    // Header lines already found, in order.
    struct LineList {
        const std::string_view* line;
        std::size_t count;
    };
    // With newHeader, parses that text instead and makes it the header text.
    void ParseHeaderReserving(std::size_t extraCapacity, TextArena* arena = nullptr, const LineList* lines = nullptr,
                              const std::string* newHeader = nullptr, HeaderLineMemo* memo = nullptr);
    void SetHeaderText(std::string_view text);
    void SetKey(std::string_view password);
    std::string_view Key() const { return CipherKey(); }
    // The readable text of a stored text, or nullopt when encoding it again would
    // not give back exactly the stored text (a damaged or foreign form that
    // rewriting would lose).
    std::optional<std::string> DecodeExactly(std::string_view stored, int mode);

    // Copies a body kept in shared storage into text_, so that it can change.
    void OwnBody();

    // What a look over many records reads (the modes, the fields' place and
    // ends) comes first, so that it shares as few cache lines as can be.
    std::int8_t bodyMode_ = 0;
    std::int8_t headerMode_ = 0;
    char topMark_ = 0;   // 37th byte of the top separator (any byte, a zero byte too)
    char bodyMark_ = 0;  // 37th byte of the body separator
    // Whole bytes, not bits: a record is built in fresh memory, and setting a bit
    // would read that memory first, which costs the system a second fault.
    bool hasTop_ = false;
    bool hasBody_ = false;
    bool passwordOk_ = true;
    bool deleted_ = false;
    bool headerDecrypted_ = false;
    bool headerStored_ = false;  // HeaderText is headerData_ in storage_
    bool bodyStored_ = false;    // BodyText is bodyData_ in storage_
    // All text fields in one buffer, in FieldId order; end_[i] is where field i ends.
    // The body comes last so that appending to it is cheap. A header or body read
    // as it stands is not copied: it stays in the shared read buffer (storage_)
    // until it changes, and its place in text_ is empty.
    std::uint32_t end_[kFieldCount - 1] = {};
    // Set when the body is in storage_ and the fields (with the header text, if
    // that is not in storage_ too) were written to an arena that storage_ owns:
    // then text_ is empty, and those end_[kHeaderText] bytes are here.
    const char* fieldsData_ = nullptr;
    OwnedText text_;
    std::shared_ptr<const void> storage_;
    const char* headerData_ = nullptr;
    const char* bodyData_ = nullptr;
    std::size_t bodySize_ = 0;
    // Shared by the records keyed with the same password.
    std::shared_ptr<const std::string> cipherKey_;
    std::uint32_t headerSize_ = 0;
    int addresseeCount_ = 0;
};

}  // namespace qx
