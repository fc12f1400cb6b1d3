#include "VehicleLinkStatus.h"

#include <cstring>

#include "AttributeKeys.h"
#include "CNumber.h"
#include "PropertyScanner.h"

namespace {

bool BeginsWith(const char* line, const char* name) {
    return std::strncmp(line, name, std::strlen(name)) == 0;
}

}  // namespace

VehicleLinkStatus::VehicleLinkStatus(FILE* file) {
    PropertyScanner scanner(file, kPieceLength);
    for (const char* line; (line = scanner.Next()) != nullptr;) TakeLine(line);
}

VehicleLinkStatus::~VehicleLinkStatus() = default;

void VehicleLinkStatus::TakeLine(const char* line) {
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr) return;
    const char* value = equals + 1;
    while (CNumber::IsSpace(*value)) ++value;
    if (BeginsWith(line, "WOLK")) {
        available = value;
    } else if (BeginsWith(line, "VIN")) {
        vin = value;
    } else if (BeginsWith(line, "GW_DIAG_ADR")) {
        gateway = value;
    } else if (BeginsWith(line, "DIAG_ADR")) {
        if (!controlUnits.empty()) controlUnits += ';';
        controlUnits += value;
    } else if (BeginsWith(line, "DOIP")) {
        doip = value;
    }
}

bool VehicleLinkStatus::Get(const std::string& key, std::string& output) const {
    if (key == attributekey::kWolkVin) {
        output = vin;
    } else if (key == attributekey::kWolkAvailable) {
        output = available;
    } else if (key == attributekey::kWolkGateway) {
        output = gateway;
    } else if (key == attributekey::kWolkControlUnits) {
        output = "[" + controlUnits + "]";
    } else if (key == attributekey::kDoip) {
        output = doip;
    } else {
        return false;
    }
    return true;
}
