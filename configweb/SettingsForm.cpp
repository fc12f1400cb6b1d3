#include "SettingsForm.h"

#include <cstring>

std::size_t SettingsForm::IndexOf(const char* element) const {
    std::size_t i = 0;
    while (i < fieldCount && std::strcmp(fields[i].element, element) != 0) ++i;
    return i;
}
