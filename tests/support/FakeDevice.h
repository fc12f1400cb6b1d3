#ifndef TESTS_SUPPORT_FAKEDEVICE_H
#define TESTS_SUPPORT_FAKEDEVICE_H

#include <string>

// A complete device inside the private root: the identity and version files, the status
// files other programs of the device write, the kernel's USB list, meminfo and routing
// table, and what the `iw` stand-in prints for the link and the survey.
namespace fakedevice {

// Samples the files hold, and what the store makes of them.
constexpr const char* kSerial = "1912345";
constexpr const char* kLinkOutput =
    "Connected to 00:11:22:33:44:55 (on wlan0)\n"
    "\tSSID: workshop\n"
    "\tfreq: 2437.0\n"
    "\tsignal: -45 dBm\n"
    "\ttx bitrate: 54.0 MBit/s\n";
constexpr const char* kSurveyOutput =
    "Survey data from wlan0\n"
    "\tfrequency:\t\t\t2412 MHz\n"
    "\tnoise:\t\t\t\t-91 dBm\n"
    "\tfrequency:\t\t\t2437 MHz [in use]\n"
    "\tnoise:\t\t\t\t-95 dBm\n";

// Writes every file of the device.
void Install();
// The USB device list: other devices, then the MOST interface, whose identification
// ("Vendor=103a ProdID=000b") ends at byte `idEnd` of the list (at least 27).
void WriteUsbList(size_t idEnd);
// What the `iw` stand-in prints for "iw dev wlan0 link" and "iw dev wlan0 survey dump".
void SetIwOutput(const std::string& link, const std::string& survey);

}  // namespace fakedevice

#endif
