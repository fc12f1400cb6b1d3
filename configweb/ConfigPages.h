#ifndef CONFIGWEB_CONFIGPAGES_H
#define CONFIGWEB_CONFIGPAGES_H

#include <cstddef>
#include <string>

// The pages of the configuration interface, in the order of the navigation: the one table
// that the navigation, the form actions and the handlers' redirects read.
class ConfigPages {
public:
    struct Page {
        const char* title;
        // Absolute addresses on the web server; a read-only page has no handler (nullptr).
        const char* address;
        const char* handler;
    };
    enum Id {
        kDeviceInformation,
        kDeviceConfiguration,
        kLanSettings,
        kWlanSettings,
        kSelfTest,
        kTolSettings,
        kCount
    };
    static const Page kPages[kCount];

    virtual ~ConfigPages();

    // The program name of an address: what follows its last "/" ("tolsettings.cgi").
    static const char* ProgramName(const char* address);
    // Where a handler sends the browser back to: the page's program name and
    // "?sessionid=" followed by the id, relative to the handler's folder.
    static std::string RedirectTarget(Id page, const std::string& sessionIdText);
};

#endif
