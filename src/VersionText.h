#ifndef SRC_VERSIONTEXT_H
#define SRC_VERSIONTEXT_H

#include <string>

// The normalisation of the version texts the device publishes.
class VersionText {
public:
    static constexpr const char* kApplicationPrefix = "APPLICATION_VERSION=";

    virtual ~VersionText();

    // For an application version holding kApplicationPrefix anywhere: drops as many bytes
    // from the front as the prefix is long, then the byte at position 2 and then the one at
    // position 4 ("01.08.06" after the prefix becomes "010806"). With fewer than five
    // bytes left after the prefix's length, only those leading bytes go, and the result is
    // false. A text without the prefix is left as it is (true).
    static bool StripApplicationPrefix(std::string& text);
    // Drops one leading "0", if there is one.
    static void DropLeadingZero(std::string& text);
    // The greater of two package versions, compared as texts (byte by byte, unsigned, then
    // the longer greater); `first` on equality.
    static const std::string& Newer(const std::string& first, const std::string& second);
};

#endif
