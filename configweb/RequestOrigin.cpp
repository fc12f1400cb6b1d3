#include "RequestOrigin.h"

#include <cstdlib>

namespace {

constexpr std::string_view kSchemes[] = {"http://", "https://"};

unsigned char LowerCase(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerCase(static_cast<unsigned char>(a[i])) !=
            LowerCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

RequestOrigin::~RequestOrigin() = default;

bool RequestOrigin::IsCrossSite() {
    return IsCrossSite(std::getenv(kFetchSiteVariable), std::getenv(kOriginVariable),
                       std::getenv(kHostVariable));
}

bool RequestOrigin::IsCrossSite(const char* fetchSite, const char* origin, const char* host) {
    if (fetchSite != nullptr && EqualIgnoringCase(fetchSite, kCrossSite)) return true;
    if (origin == nullptr) return false;
    return host == nullptr || !NamesHost(origin, host);
}

bool RequestOrigin::NamesHost(std::string_view origin, std::string_view host) {
    for (std::string_view scheme : kSchemes) {
        if (EqualIgnoringCase(origin.substr(0, scheme.size()), scheme)) {
            return !host.empty() && EqualIgnoringCase(origin.substr(scheme.size()), host);
        }
    }
    return false;
}
