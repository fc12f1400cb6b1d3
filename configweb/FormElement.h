#ifndef CONFIGWEB_FORMELEMENT_H
#define CONFIGWEB_FORMELEMENT_H

#include <string>

namespace cgicc {
class Cgicc;
}  // namespace cgicc

// Looking up the elements of a request's form.
class FormElement {
public:
    virtual ~FormElement();

    // Whether the request carries the element.
    static bool IsPresent(const cgicc::Cgicc& cgi, const std::string& name);
    // Sets `value` to the element's value when the request carries it (and says so);
    // leaves it untouched otherwise.
    static bool Find(const cgicc::Cgicc& cgi, const std::string& name, std::string& value);
};

#endif
