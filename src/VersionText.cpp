#include "VersionText.h"

#include <cstring>

namespace {

constexpr size_t kFirstDroppedPosition = 2;
constexpr size_t kSecondDroppedPosition = 4;

}  // namespace

VersionText::~VersionText() = default;

bool VersionText::StripApplicationPrefix(std::string& text) {
    if (text.find(kApplicationPrefix) == std::string::npos) return true;
    text.erase(0, std::strlen(kApplicationPrefix));
    if (text.size() <= kSecondDroppedPosition) return false;
    text.erase(kFirstDroppedPosition, 1);
    text.erase(kSecondDroppedPosition, 1);
    return true;
}

void VersionText::DropLeadingZero(std::string& text) {
    if (!text.empty() && text[0] == '0') text.erase(0, 1);
}

const std::string& VersionText::Newer(const std::string& first, const std::string& second) {
    // std::string compares its bytes as unsigned char, whatever the signedness of char.
    return second.compare(first) > 0 ? second : first;
}
