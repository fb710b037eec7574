// Room for the parsed header fields of many records, handed out in order from
// large blocks, so that building a record needs no allocation of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace qx {

class TextArena {
public:
    // blockSize: how much memory to take at a time.
    explicit TextArena(std::size_t blockSize);
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // n bytes that stay as they are written for as long as the arena lives.
    char* Allocate(std::size_t n);
    // Keeps `storage` alive as long as the arena: the records whose fields are
    // here keep only the arena, and their header and body may be in `storage`.
    void Keep(const std::shared_ptr<const void>& storage);

private:
    std::size_t blockSize_;
    std::vector<std::shared_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::vector<std::shared_ptr<const void>> kept_;
};

}  // namespace qx
