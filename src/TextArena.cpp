#include "TextArena.h"

#include <cstring>

TextArena::TextArena() = default;

TextArena::~TextArena() = default;

std::string_view TextArena::Keep(std::string_view text) {
    // Never a null view: its bytes may be handed to memcpy and memchr.
    if (text.empty()) return std::string_view("", 0);
    char* copy;
    if (text.size() > kLargeText) {
        chunks.emplace_back(new char[text.size()]);
        copy = chunks.back().get();
    } else {
        if (text.size() > left) {
            chunks.emplace_back(new char[kChunkLength]);
            next = chunks.back().get();
            left = kChunkLength;
        }
        copy = next;
        next += text.size();
        left -= text.size();
    }
    std::memcpy(copy, text.data(), text.size());
    return std::string_view(copy, text.size());
}
