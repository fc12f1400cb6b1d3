#ifndef TESTS_SUPPORT_CGIANSWER_H
#define TESTS_SUPPORT_CGIANSWER_H

#include <string>

// What an answer of the programs may look like: one header block of the fields "Location",
// "Status", "Content-Type" and "Set-Cookie" (each once at most, no control byte), ended by
// an empty line; a redirect names "tolsettings.cgi?sessionid=" and the id, after a failed
// submission with the flags of rejected fields and the seven values, percent-encoded, after
// a failed save with its flag and the seven values; another page's redirect names that
// page, the id and percent-encoded parameters.
namespace cgianswer {

struct Shape {
    bool wellFormed = false;
    std::string problem;  // why it is not, for the failure message
    std::string location;
};

Shape Inspect(const std::string& answer);

}  // namespace cgianswer

#endif
