// The reader of "/proc/net/route": a dotted quad, "0.0.0.0" unless a default route can be.
#include "FuzzSupport.h"
#include "RouteTable.h"

void CheckInput(const std::string& input) {
    static const std::regex kDottedQuad("([0-9]{1,3}\\.){3}[0-9]{1,3}");
    WriteFile(RouteTable::kPath, input);
    std::string gateway;
    const bool read = ZelConfig::RefreshDefaultGateway(attributekey::kDefaultGateway, gateway);
    Require(read && std::regex_match(gateway, kDottedQuad), "not a dotted quad");
    const std::string text = input.substr(0, RouteTable::kReadLimit);
    Require(gateway == "0.0.0.0" || text.find(RouteTable::kDefaultDestination) != std::string::npos,
            "a gateway without a default route");
}
