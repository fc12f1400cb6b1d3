#include "CgiAnswer.h"

#include <regex>
#include <sstream>

namespace cgianswer {

namespace {

#define VALUE "=[-A-Za-z0-9%._~/:]*"
const std::regex kHeaderLine("(Location|Status|Content-Type|Set-Cookie): [^\\x00-\\x1f\\x7f]+");
const std::regex kRedirect("tolsettings\\.cgi\\?sessionid=-?[0-9]+((&(outlet|dealer|toladdress|tolport|tolurl|dns1|dns2)"
                           "wrong=1)*&outlet" VALUE "&dealer" VALUE "&toladdress" VALUE "&tolport" VALUE "&tolurl" VALUE
                           "&dns1" VALUE "&dns2" VALUE "|&savefailed=1(&outlet" VALUE "&dealer" VALUE "&toladdress"
                           VALUE "&tolport" VALUE "&tolurl" VALUE "&dns1" VALUE "&dns2" VALUE ")?)?");
// Another page's: its flags and values.
const std::regex kOtherRedirect("[a-z]+\\.cgi\\?sessionid=-?[0-9]+(&[a-z0-9]+" VALUE ")*");

Shape Fail(const std::string& problem) { return {false, problem, ""}; }

}  // namespace

Shape Inspect(const std::string& answer) {
    const size_t end = answer.find("\n\n");
    if (end == std::string::npos) return Fail("no end of the header block");
    Shape shape{true, "", ""};
    std::string names;
    std::istringstream lines(answer.substr(0, end));
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(0, line.find(':')) + ";";
        if (!std::regex_match(line, kHeaderLine) || names.find(name) != std::string::npos) {
            return Fail("header line '" + line + "'");
        }
        names += name;
        if (name == "Location;") shape.location = line.substr(10);
    }
    const bool tol = shape.location.rfind("tolsettings.cgi", 0) == 0;
    if (!shape.location.empty() && !std::regex_match(shape.location, tol ? kRedirect : kOtherRedirect)) {
        return Fail("redirect target '" + shape.location + "'");
    }
    const bool answered = names.find("Location;") != std::string::npos || names.find("Content-Type;") != std::string::npos;
    return answered ? shape : Fail("neither a redirect nor a content type");
}

}  // namespace cgianswer
