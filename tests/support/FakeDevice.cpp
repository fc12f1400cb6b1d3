#include "FakeDevice.h"

#include <cstring>

#include "FileText.h"

namespace fakedevice {

namespace {

constexpr const char* kUsbOtherDevice =
    "T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480  MxCh= 1\n"
    "P:  Vendor=1d6b ProdID=0002 Rev= 4.19\n";

constexpr const char* kMostLinePrefix = "P:  ";
constexpr const char* kMostId = "Vendor=103a ProdID=000b";
constexpr const char* kMostLineSuffix = " Rev= 1.00\n";

}  // namespace

void Install() {
    filetext::Write("/sys/orva_neo/sysinfo/sernum", std::string(kSerial) + "\n");
    filetext::Write("/sys/orva_neo/sysinfo/version", "ir54321 \n");
    filetext::Write("/etc/VERSION", "03.05\n");
    filetext::Write("/etc/PACKAGE_VERSION", "2.10\n");
    filetext::Write("/app/VERSION", "APPLICATION_VERSION=01.08.06\n");
    filetext::Write("/app/PACKAGE_VERSION", "2.9\n");
    filetext::Write("/livepatch/lp.info",
                    "# installed live patch\nPatchNum  =  12 \nPatchInfo=clock fix\n");
    filetext::Write("/tmp/sf2static", "ORVAC_Present=2\nORVAD_Present=-1\n");
    filetext::Write("/tmp/sf2status",
                    "KL15ewb=12.4\nKL30=12.9\nKL15Status=2\nTemp=41\nCAN_CL_STATUS=10\n"
                    "CANPWF_STATUS_EX=1f\n");
    filetext::Write("/tmp/wolkvin",
                    "VIN=WXYZ1234567890123\nWOLK=1\nDIAG_ADR=0x10\nDIAG_ADR=0x12\nDOIP=Yes\n");
    filetext::Write("/tmp/moststate", "1\n");
    WriteUsbList(4096);
    filetext::Write("/config/wlan.mac", "00-1A-2B-3C-4D-5E\n");
    filetext::Write("/proc/meminfo",
                    "MemTotal:         255288 kB\nMemFree:          163932 kB\n"
                    "MemAvailable:     201644 kB\n");
    filetext::Write("/proc/net/route",
                    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\t"
                    "Window\tIRTT\n"
                    "eth0\t0002000A\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                    "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
    SetIwOutput(kLinkOutput, kSurveyOutput);
}

void WriteUsbList(size_t idEnd) {
    const size_t filler = idEnd - std::strlen(kMostId) - std::strlen(kMostLinePrefix);
    std::string list;
    while (list.size() < filler) list += kUsbOtherDevice;
    list.resize(filler);
    list.append(kMostLinePrefix).append(kMostId).append(kMostLineSuffix);
    filetext::Write("/sys/kernel/debug/usb/devices", list);
}

void SetIwOutput(const std::string& link, const std::string& survey) {
    filetext::Write("/stubs/output/iw_dev_wlan0_link", link);
    filetext::Write("/stubs/output/iw_dev_wlan0_survey_dump", survey);
}

}  // namespace fakedevice
