#ifndef CONFIGWEB_REQUESTORIGIN_H
#define CONFIGWEB_REQUESTORIGIN_H

#include <string_view>

// Where a request comes from, as the browser tells it. The device has no login, so a page
// of another site must not be able to change settings through a technician's browser.
//
// A request is cross-site when the browser marks it so: a "Sec-Fetch-Site" header of
// "cross-site", or an "Origin" header that names another host than the "Host" header
// ("null", an origin without a host, included). Requests without these headers (tools,
// older browsers) and same-origin requests are not cross-site.
class RequestOrigin {
public:
    static constexpr const char* kFetchSiteVariable = "HTTP_SEC_FETCH_SITE";
    static constexpr const char* kOriginVariable = "HTTP_ORIGIN";
    static constexpr const char* kHostVariable = "HTTP_HOST";
    static constexpr std::string_view kCrossSite = "cross-site";

    virtual ~RequestOrigin();

    // Judges the request by the CGI variables of the process environment.
    static bool IsCrossSite();
    // A missing header is nullptr. The host compare ignores case; an origin must be
    // "http://" or "https://" followed by exactly the Host header's text.
    static bool IsCrossSite(const char* fetchSite, const char* origin, const char* host);

private:
    static bool NamesHost(std::string_view origin, std::string_view host);
};

#endif
