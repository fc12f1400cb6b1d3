#ifndef CONFIGWEB_PAGES_STATESUMMARY_H
#define CONFIGWEB_PAGES_STATESUMMARY_H

#include <string>

class ZelConfig;

// The store's state summary ("[0+;1+;2?;3?]") and its four parts in words.
class StateSummary {
public:
    static constexpr int kParts = 4;
    // What each part is about, in the summary's order.
    static constexpr const char* kLabels[kParts] = {"Device", "Attached Units", "MOST Bus",
                                                    "Vehicle Link"};

    // Reads the summary and the MOST light, which the third part leaves open while the
    // device is free, from the store (their live values, now).
    explicit StateSummary(const ZelConfig& store);
    StateSummary(const std::string& summary, const std::string& lightOn);
    virtual ~StateSummary();

    const std::string& Text() const { return text; }
    // The part in words; "" when the summary has another form.
    const std::string& Part(int index) const { return parts[index]; }

private:
    void Decode(const std::string& lightOn);

    std::string text;
    std::string parts[kParts];
};

#endif
