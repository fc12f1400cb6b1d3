#include "UrlEncoding.h"

namespace {

constexpr const char* kHexDigits = "0123456789ABCDEF";

bool IsKept(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
}

}  // namespace

std::string UrlEncoding::Encode(const std::string& value) {
    std::string encoded;
    encoded.reserve(value.size());
    for (char ch : value) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (IsKept(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHexDigits[c >> 4];
            encoded += kHexDigits[c & 0x0f];
        }
    }
    return encoded;
}
