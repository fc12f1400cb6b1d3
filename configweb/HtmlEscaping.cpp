#include "HtmlEscaping.h"

namespace {

// Character references are used instead of named entities that HTML 4 lacks ("&apos;").
const char* Reference(unsigned char byte) {
    switch (byte) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        default:
            break;
    }
    if (byte < 0x20 || byte == 0x7f) return HtmlEscaping::kControlReplacement;
    return nullptr;
}

}  // namespace

std::string HtmlEscaping::Escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char ch : text) {
        const char* reference = Reference(static_cast<unsigned char>(ch));
        if (reference == nullptr) {
            escaped += ch;
        } else {
            escaped += reference;
        }
    }
    return escaped;
}
