// The reader of "/proc/net/route": any content gives a dotted quad, and "0.0.0.0" when no
// entry can name the default route.

#include <cstdint>
#include <regex>
#include <string>

#include "AttributeKeys.h"
#include "FuzzSupport.h"
#include "RouteTable.h"
#include "ZelConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::regex kDottedQuad("([0-9]{1,3}\\.){3}[0-9]{1,3}");
    const std::string input = fuzzsupport::Text(data, size);
    fuzzsupport::WriteFile(RouteTable::kPath, input);
    std::string output;
    fuzzsupport::Require(
        ZelConfig::RefreshDefaultGateway(attributekey::kDefaultGateway, output) != 0,
        "the routing table can't be read");
    fuzzsupport::Require(std::regex_match(output, kDottedQuad), "not a dotted quad", output);
    const std::string read = input.substr(0, RouteTable::kReadLimit);
    if (read.find(RouteTable::kDefaultDestination) == std::string::npos) {
        fuzzsupport::Require(output == "0.0.0.0", "a gateway without a default route", input);
    }
    return 0;
}
