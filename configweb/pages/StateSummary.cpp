#include "StateSummary.h"

#include "AttributeKeys.h"
#include "ZelConfig.h"

namespace {

// "[0s;1s;2s;3s]": each part its digit and one mark.
constexpr std::size_t kLength = 13;
constexpr char kUnknown = '?';
constexpr char kReserved = '*';

}  // namespace

StateSummary::StateSummary(const ZelConfig& store) {
    std::string lightOn;
    store.GetStateSummary(text);
    store.GetAttribute(attributekey::kMostLightOn, lightOn);
    Decode(lightOn);
}

StateSummary::StateSummary(const std::string& summary, const std::string& lightOn) : text(summary) {
    Decode(lightOn);
}

StateSummary::~StateSummary() = default;

void StateSummary::Decode(const std::string& lightOn) {
    if (text.size() != kLength || text.front() != '[' || text.back() != ']') return;
    char marks[kParts];
    for (int i = 0; i < kParts; ++i) {
        if (text[1 + 3 * i] != '0' + i || (i + 1 < kParts && text[3 + 3 * i] != ';')) return;
        marks[i] = text[2 + 3 * i];
    }
    parts[0] = marks[0] == kReserved ? "reserved by a client" : "free";
    parts[1] = marks[1] == kUnknown ? "an ORVA-C or ORVA-D unit is attached" : "no unit attached";
    parts[2] = marks[2] == kUnknown ? "no MOST interface found"
               : lightOn == "1"     ? "MOST interface found, light on"
                                    : "MOST interface found, light off";
    parts[3] = marks[3] == kUnknown ? "no vehicle link" : "vehicle link available";
}
