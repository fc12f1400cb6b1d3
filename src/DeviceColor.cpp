#include "DeviceColor.h"

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
