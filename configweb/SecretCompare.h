#ifndef CONFIGWEB_SECRETCOMPARE_H
#define CONFIGWEB_SECRETCOMPARE_H

#include <string_view>

// Comparing secrets without telling by the time taken how much of a guess was right.
class SecretCompare {
public:
    virtual ~SecretCompare();

    // Whether both texts are equal. The time depends on the lengths only, never on where
    // the texts differ.
    static bool Equal(std::string_view a, std::string_view b);
};

#endif
