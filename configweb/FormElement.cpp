#include "FormElement.h"

#include <cgicc/Cgicc.h>

FormElement::~FormElement() = default;

bool FormElement::IsPresent(const cgicc::Cgicc& cgi, const std::string& name) {
    return cgi.getElement(name) != cgi.getElements().end();
}

bool FormElement::Find(const cgicc::Cgicc& cgi, const std::string& name, std::string& value) {
    const cgicc::const_form_iterator element = cgi.getElement(name);
    if (element == cgi.getElements().end()) return false;
    value = element->getValue();  // returned by value
    return true;
}
