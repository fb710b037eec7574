#include "logstore/ReadWindow.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/FileSystem.h"

namespace qx {

namespace {

constexpr std::size_t kReadChunk = 4 << 20;
constexpr std::size_t kMinRead = 4096;
constexpr std::size_t kReadSlack = 64;  // lets the read that finds the end need no new buffer

}  // namespace

bool ReadWindow::Begin(sys::InputFile& in, std::uint64_t from, std::uint64_t fileSize, std::uint64_t mapAbove) {
    fileSize_ = fileSize;
    bufStart_ = from;
    // A large read maps the file instead: its bytes are then neither copied nor
    // held twice, and the scanner is given them a step at a time.
    if (fileSize > from && fileSize - from >= mapAbove &&
        fileSize - from <= std::numeric_limits<std::size_t>::max() / 2) {
        mappedLength_ = static_cast<std::size_t>(fileSize - from);
        mapping_ = in.Map(from, mappedLength_, &data_);
        if (mapping_ && !in.Seek(from + mappedLength_)) mapping_.reset();
        if (!mapping_) {
            mappedLength_ = 0;
            data_ = nullptr;
            if (!in.Seek(from)) return false;
        }
    }
    return true;
}

bool ReadWindow::NextMapStep(std::size_t step) {
    if (!mapping_ || dataEnd_ >= mappedLength_) return false;
    dataEnd_ += std::min(mappedLength_ - dataEnd_, step);
    return true;
}

void ReadWindow::ReadOn(sys::InputFile& in, std::size_t keep, bool& eof, bool& error) {
    // The next buffer: the bytes kept, then room for what the file still
    // holds (as far as its size said), at most a chunk at a time, so that a
    // short read does not pin a large buffer. What is kept of a used-up
    // mapping moves into a buffer like the bytes of a buffer in use.
    const std::size_t kept = dataEnd_ - keep;
    const std::uint64_t seen = bufStart_ + dataEnd_;
    const std::uint64_t left = fileSize_ > seen ? fileSize_ - seen : 0;
    const std::size_t room = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(left + kReadSlack, kMinRead), kReadChunk));
    std::size_t wanted = kept + room;
    if (kept == bufSize_ && bufSize_ > 0) wanted = std::max(wanted, bufSize_ * 2);
    wanted = sys::ReadBufferSize(wanted);
    // Records keep their text in the buffer they were read into, so a buffer
    // that records use is never written again.
    if (mapping_ || buf_.use_count() > 1 || wanted > bufSize_) {
        std::shared_ptr<char[]> next = sys::NewReadBuffer(wanted);
        if (kept > 0) std::memcpy(next.get(), data_ + keep, kept);
        buf_ = std::move(next);
        bufSize_ = wanted;
        data_ = buf_.get();
        mapping_.reset();
    } else if (keep > 0 && kept > 0) {
        std::memmove(buf_.get(), buf_.get() + keep, kept);
    }
    if (keep > 0) {
        dataEnd_ -= keep;
        bufStart_ += keep;
    }
    const long long n = in.Read(buf_.get() + dataEnd_, bufSize_ - dataEnd_);
    if (n < 0) {
        error = true;
        eof = true;
    } else if (n == 0) {
        eof = true;
    } else {
        dataEnd_ += static_cast<std::size_t>(n);
    }
}

}  // namespace qx
