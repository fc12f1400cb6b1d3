#include "Device.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace device {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    ASSERT_TRUE(out) << "cannot write " << path;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string Property(const std::string& key) {
    for (const std::string& line : Lines(Read(kConfig))) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

std::vector<std::string> Lines(const std::string& text, char separator) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, separator);) lines.push_back(line);
    return lines;
}

// "DATE TIME  LEVEL     HANDLER        PID   SOURCE  LINE  MESSAGE": the level at column 28,
// the handler at 38 (a long name runs into the process id).
std::string LogEvents() {
    std::string events;
    for (const std::string& line : Lines(Read(kLog))) {
        const size_t handlerEnd = std::min(line.find_first_not_of("abcdefghijklmnopqrstuvwxyz", 38), line.size());
        std::istringstream fields(line.size() < 38 ? "" : line.substr(28, 10) + line.substr(handlerEnd));
        std::string level, pid, source, number, message;
        fields >> level >> pid >> source;
        // A source name of the field's width or longer runs into the line number.
        const size_t digits = source.find_last_not_of("0123456789") + 1;
        if (digits == source.size()) fields >> number;
        source.resize(digits);
        std::getline(fields >> std::ws, message);
        const std::string handler = line.substr(std::min<size_t>(38, line.size()), handlerEnd - 38);
        events += level + " " + handler + " " + source + " " + message + "\n";
    }
    return events;
}

void ExpectPieces(const std::string& text, const std::string& pieces) {
    size_t at = 0;
    for (const std::string& piece : Lines(pieces, '|')) {
        const bool absent = piece[0] == '!';
        const size_t found = text.find(piece.substr(absent ? 1 : 0), absent ? 0 : at);
        EXPECT_EQ(found == std::string::npos, absent) << piece << "\nin " << text;
        at = absent || found == std::string::npos ? at : found + piece.size();
    }
}

void InstallComplete() {
    // clang-format off
    const std::pair<const char*, const char*> files[] = {
        {"/sys/orva_neo/sysinfo/sernum", "1912345\n"}, {"/sys/orva_neo/sysinfo/version", "ir54321 \n"},
        {"/etc/VERSION", "03.05\n"}, {"/etc/PACKAGE_VERSION", "2.10\n"}, {"/app/PACKAGE_VERSION", "2.9\n"},
        {"/app/VERSION", "APPLICATION_VERSION=01.08.06\n"}, {"/config/wlan.mac", "00-1A-2B-3C-4D-5E\n"},
        {"/livepatch/lp.info", "# installed live patch\nPatchNum  =  12 \nPatchInfo=clock fix\n"},
        {"/tmp/sf2static", "ORVAC_Present=2\nORVAD_Present=-1\n"}, {"/tmp/moststate", "1\n"},
        {"/tmp/sf2status", "KL15ewb=12.4\nKL30=12.9\nKL15Status=2\nTemp=41\nCAN_CL_STATUS=10\nCANPWF_STATUS_EX=1f\n"},
        {"/tmp/wolkvin", "VIN=WXYZ1234567890123\nWOLK=1\nDIAG_ADR=0x10\nDIAG_ADR=0x12\nDOIP=Yes\n"},
        {"/proc/net/route", "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
                            "eth0\t0002000A\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                            "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"},
        {"/stubs/output/iw_dev_wlan0_link", "Connected to 00:11:22:33:44:55 (on wlan0)\n\tfreq: 2437.0\n\tsignal: -45 dBm\n"},
        {"/stubs/output/iw_dev_wlan0_survey_dump", "Survey data from wlan0\n\tfrequency:\t\t\t2412 MHz\n\tnoise:\t\t\t\t-91 dBm\n"
                                                   "\tfrequency:\t\t\t2437 MHz [in use]\n\tnoise:\t\t\t\t-95 dBm\n"},
    };
    // clang-format on
    for (const auto& [path, text] : files) Write(path, text);
    const std::string most = "P:  Vendor=103a ProdID=000b";  // its identification ends at byte 4096
    std::string list;
    while (list.size() < 4096) list += "T:  Bus=01 Lev=00 Prnt=00 Port=00 Dev#=  1 Spd=480\n";
    list.resize(4096 - most.size());
    Write("/sys/kernel/debug/usb/devices", list + most + " Rev= 1.00\n");
}

}  // namespace device
