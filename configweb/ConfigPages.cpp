#include "ConfigPages.h"

#include <cstring>

namespace {

constexpr const char* kSessionQuery = "?sessionid=";

}  // namespace

// clang-format off
const ConfigPages::Page ConfigPages::kPages[] = {
    {"Device Information", "/zelconf/deviceinformation.cgi", nullptr},
    {"Device Configuration", "/zelconf/deviceconfiguration.cgi", "/zelconf/setdeviceconfiguration.cgi"},
    {"LAN Settings", "/zelconf/lansettings.cgi", "/zelconf/setlansettings.cgi"},
    {"WLAN Settings", "/zelconf/wlansettings.cgi", "/zelconf/setwlansettings.cgi"},
    {"Self-Test", "/zelconf/selftest.cgi", nullptr},
    {"TOL Settings", "/zelconf/tolsettings.cgi", "/zelconf/settolsettings.cgi"},
};
// clang-format on

ConfigPages::~ConfigPages() = default;

const char* ConfigPages::ProgramName(const char* address) {
    const char* slash = std::strrchr(address, '/');
    return slash != nullptr ? slash + 1 : address;
}

std::string ConfigPages::RedirectTarget(Id page, const std::string& sessionIdText) {
    return ProgramName(kPages[page].address) + std::string(kSessionQuery) + sessionIdText;
}
