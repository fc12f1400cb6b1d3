// The floor of a cgicc program: parse the request, read the session id, write the redirect.
#include <cgicc/Cgicc.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <iostream>
#include <string>

int main() {
    cgicc::Cgicc cgi;
    cgicc::const_form_iterator id = cgi.getElement("sessionid");
    const std::string session = id != cgi.getElements().end() ? id->getValue() : "-1";
    std::cout << cgicc::HTTPRedirectHeader("tolsettings.cgi?sessionid=" + session);
    return 0;
}
