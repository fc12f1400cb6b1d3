#include "FormField.h"

bool FormField::IsOption(const std::string& value) const {
    for (std::size_t i = 0; i < optionCount; ++i) {
        if (value == options[i].value) return true;
    }
    return false;
}
