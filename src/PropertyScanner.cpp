#include "PropertyScanner.h"

#include <algorithm>

#include "CNumber.h"

PropertyScanner::PropertyScanner(FILE* file, size_t pieceLength)
    : file(file), pieceLength(std::min(pieceLength, kPieceLength)) {}

PropertyScanner::~PropertyScanner() = default;

char* PropertyScanner::Next() {
    if (atStart) {
        atStart = false;
        int c = Read();
        if (c == '\n') {
            SkipSpace();
        } else {
            Unread(c);
        }
    }
    size_t length = 0;
    while (length < pieceLength) {
        int c = Read();
        if (c == EOF) break;
        if (c == '\n') {
            Unread(c);
            break;
        }
        buffer[length++] = static_cast<char>(c);
    }
    if (length == 0) return nullptr;
    buffer[length] = '\0';
    SkipSpace();
    return buffer;
}

int PropertyScanner::Read() {
    if (pending != EOF) {
        int c = pending;
        pending = EOF;
        return c;
    }
    if (consumed >= kReadLimit) return EOF;
    ++consumed;
    return getc_unlocked(file);
}

void PropertyScanner::SkipSpace() {
    int c;
    while ((c = Read()) != EOF && CNumber::IsSpace(static_cast<unsigned char>(c))) {
    }
    Unread(c);
}
