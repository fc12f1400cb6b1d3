#ifndef TESTS_SUPPORT_CGIANSWER_H
#define TESTS_SUPPORT_CGIANSWER_H

#include <string>

// What a CGI answer of the form handler may look like: one header block of the fields
// "Location", "Status" and "Content-Type" (each once at most, no control byte anywhere in
// the block), ended by an empty line; a redirect names "tolsettings.cgi?sessionid=" and
// the id, and after a failed submission the flags of rejected fields and the seven values,
// percent-encoded.
namespace cgianswer {

struct Shape {
    bool wellFormed = false;
    std::string problem;  // why it is not, for the failure message
    std::string location;
    std::string status;
    std::string contentType;
};

Shape Inspect(const std::string& answer);
// The redirect target of a request that changed nothing else: the session id alone.
bool IsPlainRedirect(const std::string& location);

}  // namespace cgianswer

#endif
