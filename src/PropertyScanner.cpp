#include "PropertyScanner.h"

#include <algorithm>
#include <cstring>

#include "CNumber.h"

PropertyScanner::PropertyScanner(FILE* file, size_t pieceLength)
    : file(file), pieceLength(std::min(pieceLength, kPieceLength)), data(block) {}

PropertyScanner::PropertyScanner(char* text, size_t length, size_t pieceLength)
    : pieceLength(std::min(pieceLength, kPieceLength)), data(text), filled(length), ended(true) {}

PropertyScanner::~PropertyScanner() = default;

char* PropertyScanner::Next() {
    if (atStart) {
        atStart = false;
        if (Refill() && data[position] == '\n') SkipSpace();
    }
    return file != nullptr ? NextFromFile() : NextInText();
}

char* PropertyScanner::NextFromFile() {
    size_t length = 0;
    // Whole runs up to the line feed are copied at once: the scan is the cost of every
    // start-up and every save, which read the configuration file several times a request.
    while (length < pieceLength && Refill()) {
        const size_t available = std::min(filled - position, pieceLength - length);
        const char* start = data + position;
        const char* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t taken =
            lineFeed != nullptr ? static_cast<size_t>(lineFeed - start) : available;
        std::memcpy(buffer + length, start, taken);
        length += taken;
        position += taken;
        if (lineFeed != nullptr) break;
    }
    if (length == 0) return nullptr;
    buffer[length] = '\0';
    SkipSpace();
    return buffer;
}

char* PropertyScanner::NextInText() {
    if (position >= filled) return nullptr;
    char* start = data + position;
    const size_t available = std::min(filled - position, pieceLength);
    char* lineFeed = static_cast<char*>(std::memchr(start, '\n', available));
    const size_t taken = lineFeed != nullptr ? static_cast<size_t>(lineFeed - start) : available;
    position += taken;
    char* piece = start;
    if (lineFeed != nullptr) {
        ++position;  // the line feed is overwritten by the NUL; it would be skipped anyway
    } else if (position < filled) {
        // Cut within a line: the next byte belongs to the next piece and must stay.
        std::memcpy(buffer, start, taken);
        piece = buffer;
    }
    piece[taken] = '\0';
    SkipSpace();
    return piece;
}

bool PropertyScanner::Refill() {
    if (position < filled) return true;
    if (file == nullptr) return false;
    const size_t allowed = ended ? 0 : std::min(kBlockLength, kReadLimit - consumed);
    filled = allowed == 0 ? 0 : std::fread(block, 1, allowed, file);
    // Asking again after a short read would cost a system call that can only find the end.
    ended = filled < allowed;
    position = 0;
    consumed += filled;
    return filled > 0;
}

void PropertyScanner::SkipSpace() {
    while (Refill() && CNumber::IsSpace(data[position])) ++position;
}
