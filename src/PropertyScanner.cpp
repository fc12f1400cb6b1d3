#include "PropertyScanner.h"

#include "CNumber.h"

PropertyScanner::PropertyScanner(FILE* file) : file(file) {}

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
    while (length < kPieceLength) {
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
