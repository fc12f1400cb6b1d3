#include "TextScanner.h"

#include <algorithm>
#include <cstring>

#include "CNumber.h"

TextScanner::TextScanner(const char* text, size_t length) : position(text), end(text + length) {}

TextScanner::~TextScanner() = default;

void TextScanner::SkipSpace() {
    while (position < end && CNumber::IsSpace(*position)) ++position;
}

void TextScanner::SkipLine() {
    const void* lineFeed = std::memchr(position, '\n', static_cast<size_t>(end - position));
    position = lineFeed != nullptr ? static_cast<const char*>(lineFeed) : end;
    SkipSpace();
}

bool TextScanner::Word(char* word, size_t width) {
    SkipSpace();
    if (AtEnd()) return false;
    size_t length = 0;
    while (length < width && position < end && !CNumber::IsSpace(*position)) {
        word[length++] = *position++;
    }
    word[length] = '\0';
    return true;
}

bool TextScanner::SkipWord() {
    SkipSpace();
    if (AtEnd()) return false;
    while (position < end && !CNumber::IsSpace(*position)) ++position;
    return true;
}

std::string_view TextScanner::Fgets(size_t size) {
    const size_t available = std::min(static_cast<size_t>(end - position), size - 1);
    const void* lineFeed = std::memchr(position, '\n', available);
    const size_t length =
        lineFeed != nullptr ? static_cast<const char*>(lineFeed) + 1 - position : available;
    const std::string_view piece(position, strnlen(position, length));
    position += length;
    return piece;
}

bool TextScanner::Integer(unsigned base, size_t width, uint64_t& value) {
    SkipSpace();
    if (AtEnd()) return false;
    size_t available = static_cast<size_t>(end - position);
    if (width != 0) available = std::min(available, width);
    const CNumber::Scanned scanned = CNumber::ScanInteger(position, available, base);
    position += scanned.consumed;
    if (scanned.matched) value = scanned.value;
    return scanned.matched;
}
