#include "logstore/TextArena.h"

#include <algorithm>

#include "platform/FileSystem.h"

namespace qx {

TextArena::TextArena(std::size_t blockSize) : blockSize_(std::max<std::size_t>(blockSize, 4096)) {}

char* TextArena::Allocate(std::size_t n) {
    if (n > left_) {
        // A text larger than a block gets a block of its own; the rest of the
        // current block stays in use for the texts after it.
        const std::size_t size = std::max(n, blockSize_);
        std::shared_ptr<char[]> block = sys::NewReadBuffer(size);
        char* start = block.get();
        blocks_.push_back(std::move(block));
        if (size > blockSize_ || n == size) return start;
        next_ = start;
        left_ = sys::ReadBufferSize(size);
    }
    char* out = next_;
    next_ += n;
    left_ -= n;
    return out;
}

void TextArena::Keep(const std::shared_ptr<const void>& storage) {
    if (!storage || (!kept_.empty() && kept_.back() == storage)) return;
    kept_.push_back(storage);
}

}  // namespace qx
