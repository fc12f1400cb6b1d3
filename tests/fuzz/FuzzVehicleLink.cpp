// The reader of "/tmp/wolkvin" against a model of its line rules.

#include <cstdint>
#include <cstring>
#include <string>

#include "AttributeKeys.h"
#include "FuzzSupport.h"
#include "VehicleLinkStatus.h"
#include "ZelConfig.h"

namespace {

struct LinkModel {
    std::string available;
    std::string vin;
    std::string gateway;
    std::string units;
    std::string doip = "No";
};

bool BeginsWith(const std::string& line, const char* name) { return line.rfind(name, 0) == 0; }

void TakeLine(const std::string& line, LinkModel& model) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return;
    size_t start = equals + 1;
    while (start < line.size() &&
           (line[start] == ' ' || (line[start] >= '\t' && line[start] <= '\r'))) {
        ++start;
    }
    const std::string value = line.substr(start);
    if (BeginsWith(line, "WOLK")) {
        model.available = value;
    } else if (BeginsWith(line, "VIN")) {
        model.vin = value;
    } else if (BeginsWith(line, "GW_DIAG_ADR")) {
        model.gateway = value;
    } else if (BeginsWith(line, "DIAG_ADR")) {
        model.units += (model.units.empty() ? "" : ";") + value;
    } else if (BeginsWith(line, "DOIP")) {
        model.doip = value;
    }
}

void Expect(const char* key, const std::string& expected, const std::string& input) {
    std::string output;
    fuzzsupport::Require(ZelConfig::RefreshVehicleLink(key, output) != 0, "a read failed", key);
    fuzzsupport::Require(output == expected, key, input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::Text(data, size);
    fuzzsupport::WriteFile(VehicleLinkStatus::kPath, input);
    LinkModel model;
    for (const std::string& line :
         fuzzsupport::ScanPieces(input, VehicleLinkStatus::kPieceLength)) {
        TakeLine(line, model);
    }
    Expect(attributekey::kWolkAvailable, model.available, input);
    Expect(attributekey::kWolkVin, model.vin, input);
    Expect(attributekey::kWolkGateway, model.gateway, input);
    Expect(attributekey::kWolkControlUnits, "[" + model.units + "]", input);
    Expect(attributekey::kDoip, model.doip, input);
    return 0;
}
