#ifndef CONFIGWEB_URLENCODING_H
#define CONFIGWEB_URLENCODING_H

#include <string>

// The one place that decides how a value is written into a URL.
class UrlEncoding {
public:
    // Percent-encodes (upper-case hex) every byte other than ASCII letters, digits and
    // "-._~/:". A value made only of those characters comes back as it is, and no byte of
    // the result can end a header line or start another parameter.
    static std::string Encode(const std::string& value);
};

#endif
