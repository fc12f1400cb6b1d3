// settolsettings.cgi: the form handler of the TOL Settings page.

#include "ConfigWebLogging.h"
#include "RequestRunner.h"
#include "SetTolSettingsCgi.h"

int main() {
    ConfigWebLogging logging;
    SetTolSettingsCgi application;
    RequestRunner::Run([&application](cgicc::Cgicc& cgi) { application.HandleRequest(cgi); },
                       [&application] { return application.WriteFallbackAnswer(); });
    return 0;
}
