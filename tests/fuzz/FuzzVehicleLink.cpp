// The reader of "/tmp/wolkvin": a line's kind is the first name it begins with, its value the
// text after "=" and the white space there; the last line of a kind wins, DIAG_ADR ones join.
#include "FuzzSupport.h"
#include "VehicleLinkStatus.h"

using namespace attributekey;

void CheckInput(const std::string& input) {
    const char* const names[] = {"WOLK", "VIN", "GW_DIAG_ADR", "DIAG_ADR", "DOIP"};
    const char* const keys[] = {kWolkAvailable, kWolkVin, kWolkGateway, kWolkControlUnits, kDoip};
    WriteFile(VehicleLinkStatus::kPath, input);
    std::string expected[5] = {"", "", "", "", "No"}, units, output;
    for (const std::string& line : Pieces(input, VehicleLinkStatus::kPieceLength)) {
        size_t kind = 0;
        while (kind < 5 && line.rfind(names[kind], 0) != 0) ++kind;
        if (kind == 5 || line.find('=') == std::string::npos) continue;
        std::string value = line.substr(line.find('=') + 1);
        expected[kind] = value.erase(0, value.find_first_not_of(kSpace));
        if (kind == 3) units += (units.empty() ? "" : ";") + value;
    }
    expected[3] = "[" + units + "]";
    for (size_t kind = 0; kind < 5; ++kind) {
        const bool read = ZelConfig::RefreshVehicleLink(keys[kind], output) != 0;
        Require(read && output == expected[kind], keys[kind]);
    }
}
