// The bytes of a log a read is looking at: a mapping of the file for a long
// read, given out a step at a time, and read buffers otherwise (and for what
// the file gained beyond the mapping).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qx {

namespace sys {
class InputFile;
}

class ReadWindow {
public:
    // Starts at `from` of `in`, whose size was `fileSize` when opened. A read of
    // at least mapAbove bytes maps the file; false when the file could not be
    // positioned again after a mapping failed.
    bool Begin(sys::InputFile& in, std::uint64_t from, std::uint64_t fileSize, std::uint64_t mapAbove);

    const char* data() const { return data_; }
    std::size_t end() const { return dataEnd_; }         // valid bytes from data()
    std::uint64_t start() const { return bufStart_; }    // file offset of data()[0]
    bool mapped() const { return mapping_ != nullptr; }
    // What keeps the bytes alive for the records that point into them.
    std::shared_ptr<const void> holder() const {
        return mapping_ ? mapping_ : std::shared_ptr<const void>(buf_);
    }

    // Gives out the next step of a mapping; false once it is all given out.
    bool NextMapStep(std::size_t step);
    // Keeps the bytes from `keep` on and reads on behind them into a buffer
    // (a new one unless records hold none of the current one); the kept bytes
    // then start at data(). `eof` is set at the end of the file or on an error,
    // which sets `error` too.
    void ReadOn(sys::InputFile& in, std::size_t keep, bool& eof, bool& error);

private:
    std::uint64_t fileSize_ = 0;
    std::shared_ptr<char[]> buf_;
    std::size_t bufSize_ = 0;
    std::uint64_t bufStart_ = 0;  // file offset of data_[0]
    std::size_t dataEnd_ = 0;     // valid bytes in data_
    std::shared_ptr<const void> mapping_;
    std::size_t mappedLength_ = 0;
    const char* data_ = nullptr;
};

}  // namespace qx
