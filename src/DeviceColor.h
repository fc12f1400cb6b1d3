#ifndef SRC_DEVICECOLOR_H
#define SRC_DEVICECOLOR_H

#include <string>

// The eight color names by which users tell devices apart, and their HTML codes ("white"
// is "#ede3d3").
class DeviceColor {
public:
    // The code of a name, and the name of a code, replacing `text`; anything else (other
    // case included) stays as it is.
    static void NameToCode(std::string& text);
    static void CodeToName(std::string& text);
};

#endif
