#include "CgiAnswer.h"

#include <algorithm>
#include <regex>
#include <string>

namespace cgianswer {

namespace {

constexpr const char* kFields[] = {"outlet", "dealer", "toladdress", "tolport",
                                   "tolurl", "dns1",   "dns2"};

// The form page with the session id; after a failed submission the flags of the rejected
// fields, then the seven values, percent-encoded.
std::string RedirectPattern() {
    std::string names;
    std::string values;
    for (const char* field : kFields) {
        names += std::string(names.empty() ? "" : "|") + field;
        values += std::string("&") + field + "=[-A-Za-z0-9%._~/:]*";
    }
    return "tolsettings\\.cgi\\?sessionid=-?[0-9]+((&(" + names + ")wrong=1)*" + values + ")?";
}

const std::regex kRedirectTarget(RedirectPattern());
const std::regex kPlainRedirectTarget("tolsettings\\.cgi\\?sessionid=-?[0-9]+");

bool IsControl(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

Shape Fail(Shape shape, const std::string& problem) {
    shape.wellFormed = false;
    shape.problem = problem;
    return shape;
}

// Takes one "Name: value" line into the shape; false for a line that doesn't belong.
bool TakeField(const std::string& line, Shape& shape) {
    for (char c : line) {
        if (IsControl(c)) return false;
    }
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) return false;
    const std::string name = line.substr(0, colon);
    std::string* field = name == "Location"       ? &shape.location
                         : name == "Status"       ? &shape.status
                         : name == "Content-Type" ? &shape.contentType
                                                  : nullptr;
    if (field == nullptr || !field->empty()) return false;
    *field = line.substr(colon + 2);
    return !field->empty();
}

}  // namespace

Shape Inspect(const std::string& answer) {
    Shape shape;
    const size_t end = answer.find("\n\n");
    if (end == std::string::npos) return Fail(shape, "no end of the header block");
    for (size_t start = 0; start < end;) {
        const size_t lineEnd = std::min(answer.find('\n', start), end);
        const std::string line = answer.substr(start, lineEnd - start);
        if (!TakeField(line, shape)) return Fail(shape, "header line '" + line + "'");
        start = lineEnd + 1;
    }
    if (shape.location.empty() && shape.contentType.empty()) {
        return Fail(shape, "neither a redirect nor a content type");
    }
    if (!shape.location.empty() && !std::regex_match(shape.location, kRedirectTarget)) {
        return Fail(shape, "redirect target '" + shape.location + "'");
    }
    shape.wellFormed = true;
    return shape;
}

bool IsPlainRedirect(const std::string& location) {
    return std::regex_match(location, kPlainRedirectTarget);
}

}  // namespace cgianswer
