#include "FuzzSupport.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fuzzsupport {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The detail as printable text, so that the finding's report stays one readable block.
std::string Printable(const std::string& text) {
    static constexpr size_t kShown = 400;
    std::string shown;
    char escaped[8];
    for (size_t i = 0; i < text.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    if (text.size() > kShown) shown += "...";
    return shown;
}

}  // namespace

void Require(bool condition, const char* what, const std::string& detail) {
    if (condition) return;
    std::fprintf(stderr, "FINDING: %s\n  %s\n", what, Printable(detail).c_str());
    std::abort();
}

std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    Require(static_cast<bool>(out), "cannot write the input file", path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

std::vector<std::string> ScanPieces(const std::string& text, size_t pieceLength) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '\n') {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
    }
    while (pos < text.size() && text[pos] != '\n') {
        size_t end = pos;
        while (end < text.size() && end - pos < pieceLength && text[end] != '\n') ++end;
        std::string piece = text.substr(pos, end - pos);
        pieces.push_back(piece.substr(0, piece.find('\0')));
        pos = end;
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
    }
    return pieces;
}

}  // namespace fuzzsupport
