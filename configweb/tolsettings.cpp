// tolsettings.cgi: the TOL Settings page.

#include "ConfigWebLogging.h"
#include "RequestRunner.h"
#include "TolSettingsCgi.h"

int main() {
    ConfigWebLogging logging;
    TolSettingsCgi page;
    RequestRunner::Run([&page](cgicc::Cgicc& cgi) { page.HandleRequest(cgi); },
                       [&page] { return page.HasAnswered(); });
    return 0;
}
