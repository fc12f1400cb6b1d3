#include "SecretCompare.h"

SecretCompare::~SecretCompare() = default;

bool SecretCompare::Equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // volatile: the compiler may not stop at the first difference.
    volatile unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference = static_cast<unsigned char>(
            difference | (static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i])));
    }
    return difference == 0;
}
