#ifndef SRC_DEVICECOLOR_H
#define SRC_DEVICECOLOR_H

#include <string>

// The eight color names by which users tell devices apart, and their HTML codes ("white"
// is "#ede3d3").
class DeviceColor {
public:
    struct Color {
        const char* name;
        const char* code;
    };
    // The eight colors, in the order users know them.
    static constexpr Color kColors[] = {
        {"white", "#ede3d3"}, {"red", "#be1110"},   {"yellow", "#ffff43"}, {"violet", "#8a4280"},
        {"green", "#4e8541"}, {"brown", "#754836"}, {"blue", "#163279"},   {"grey", "#acaea6"},
    };

    // The code of a name, and the name of a code, replacing `text`; anything else (other
    // case included) stays as it is.
    static void NameToCode(std::string& text);
    static void CodeToName(std::string& text);
};

#endif
