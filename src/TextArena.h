#ifndef SRC_TEXTARENA_H
#define SRC_TEXTARENA_H

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// Storage for texts that stay where they are while the arena lives: a text is copied in
// once and its view stays valid until the arena is destroyed; nothing is freed before.
class TextArena {
public:
    TextArena();
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;
    virtual ~TextArena();

    // A copy of `text` in the arena.
    std::string_view Keep(std::string_view text);

private:
    static constexpr size_t kChunkLength = 4096;
    // Texts longer than this get storage of their own rather than most of a chunk.
    static constexpr size_t kLargeText = kChunkLength / 4;

    std::vector<std::unique_ptr<char[]>> chunks;
    char* next = nullptr;  // free space of the newest chunk
    size_t left = 0;
};

#endif
