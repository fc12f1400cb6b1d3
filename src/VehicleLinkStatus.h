#ifndef SRC_VEHICLELINKSTATUS_H
#define SRC_VEHICLELINKSTATUS_H

#include <cstdio>
#include <string>

// The state of the diagnostic link to the vehicle as another program of the device writes
// it into "/tmp/wolkvin": NAME=value lines, recognised by how they begin ("WOLK", "VIN",
// "GW_DIAG_ADR", "DIAG_ADR", "DOIP", first match wins; others are ignored). A value is the
// text after the first "=" without the white space right after it. The last line of a kind
// wins, except that every "DIAG_ADR" value joins the control-unit list in file order.
class VehicleLinkStatus {
public:
    static constexpr const char* kPath = "/tmp/wolkvin";
    // Lines are read in pieces of at most this many bytes ("%1023[^\n]\n").
    static constexpr size_t kPieceLength = 1023;
    static constexpr const char* kDoipDefault = "No";

    // Reads the whole file. A recognised line without "=" is ignored.
    explicit VehicleLinkStatus(FILE* file);
    virtual ~VehicleLinkStatus();

    // The text of one of its five attribute keys (the four "diag.wolk." keys and
    // "diag.doip"; "[a;b]" for the control units); false with
    // `output` untouched for any other key.
    bool Get(const std::string& key, std::string& output) const;

private:
    void TakeLine(const char* line);

    std::string available;
    std::string vin;
    std::string gateway;
    std::string controlUnits;
    std::string doip = kDoipDefault;
};

#endif
