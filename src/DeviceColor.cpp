#include "DeviceColor.h"

namespace {

struct Color {
    const char* name;
    const char* code;
};

constexpr Color kColors[] = {
    {"white", "#ede3d3"}, {"red", "#be1110"},   {"yellow", "#ffff43"}, {"violet", "#8a4280"},
    {"green", "#4e8541"}, {"brown", "#754836"}, {"blue", "#163279"},   {"grey", "#acaea6"},
};

}  // namespace

void DeviceColor::NameToCode(std::string& text) {
    for (const Color& color : kColors) {
        if (text == color.name) {
            text = color.code;
            return;
        }
    }
}

void DeviceColor::CodeToName(std::string& text) {
    for (const Color& color : kColors) {
        if (text == color.code) {
            text = color.name;
            return;
        }
    }
}
