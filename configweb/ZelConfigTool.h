#ifndef CONFIGWEB_ZELCONFIGTOOL_H
#define CONFIGWEB_ZELCONFIGTOOL_H

#include <cstddef>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

// The commands of `zelconfig`, the shell's way into the device's attribute store and agent
// configuration. Results go to `out`, messages to `err` (each "zelconfig: " and one line)
// and, for failures, to the log at level 113 through "configwebloghandler".
class ZelConfigTool {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

    static constexpr const char* kMessagePrefix = "zelconfig: ";
    static constexpr const char* kUsageHint = "Try 'zelconfig --help'.";
    static constexpr const char* kMissingCommand = "no command given";
    static constexpr const char* kUnknownCommand = "unknown command '%s'";
    static constexpr const char* kWrongArguments = "wrong number of arguments; usage: zelconfig %s";
    static constexpr const char* kRunMessage = "zelconfig %s";
    static constexpr const char* kCantRead = "can't read attribute %s";
    static constexpr const char* kCantSet = "can't set property %s";
    static constexpr const char* kBlankEnds =
        "can't set property %s: its value begins or ends with a blank, which every reader drops";
    static constexpr const char* kPropertySet = "property %s set";
    static constexpr const char* kUnknownColorName = "no device color is named '%s'";
    static constexpr const char* kUnknownColorCode = "no device color has the code '%s'";
    static constexpr const char* kCantWriteWpa =
        "can't write the wpa_supplicant configuration %s (reason in /tmp/log/configweb.log)";
    static constexpr const char* kPasswordRefused =
        "password refused: it must be one line of 8 to 128 bytes without control characters";
    static constexpr const char* kCantStorePassword = "can't store the password in %s";
    static constexpr const char* kPasswordSet = "password set; every session ended";
    static constexpr const char* kSessionsLeft =
        "password set, but not every session in %s could be ended";

    static constexpr const char* kManual =
        R"(zelconfig - read and change the device's attribute store and agent configuration

USAGE
  zelconfig get KEY...          print the value of each attribute, one line each
  zelconfig show                print every attribute as KEY=VALUE, in key order
  zelconfig set KEY VALUE       set an agent configuration property and save the file
  zelconfig summary             print the device's state summary
  zelconfig color-code NAME     print the HTML code of a device color name
  zelconfig color-name CODE     print the device color name of an HTML code
  zelconfig wpa PATH            write the wpa_supplicant configuration to PATH
  zelconfig passwd              set the password of the configuration pages
  zelconfig --help              print this manual

COMMANDS
  get KEY...
      Reads each attribute as the device's programs read it: fixed values (identity,
      versions, "zel.state.*"), agent configuration properties, and live values that
      are computed at this moment (voltages, temperatures, memory, addresses, WLAN
      quality, vehicle link, MOST state). A key that is unknown or can't be read at the
      moment prints the text the store gives (often an empty line), a message on
      standard error, and makes the exit status 1; the other keys are still printed.
          zelconfig get hardware.serial network.current.lan.ip

  show
      Every attribute of the store as KEY=VALUE, one per line, sorted byte-wise by key
      (the order of the agent configuration file). Live values are computed as for
      get; one that can't be read at the moment is shown with the text the store gives.

  set KEY VALUE
      Sets the property KEY of /config/agent.configuration to VALUE and saves the file
      at once, as the configuration pages do: under the writers' lock, through
      agent.configuration.new, the previous file kept as agent.configuration.old.
      There is no delete: set KEY "" keeps the key with an empty value. Fails when the
      key is empty or holds "=", when key or value holds a line break or NUL, when the
      value begins or ends with a blank or tab (readers drop them), or when the file
      can't be saved. The device's programs see the value at their next start.

  summary
      Prints "[0s;1s;2s;3s]". Field 0 is the reservation: s is "*" while reserved and
      "+" while free. Field 1 is "1?" when an ORVA-C or ORVA-D unit is attached, else
      "1" and s. Field 2 is "2?" without a MOST interface, "2+" with the MOST light
      off, else "2" and s. Field 3 is "3" and s when a vehicle link (WOLK or ORVA-D)
      is available, else "3?". A reservation belongs to the program that made it;
      zelconfig starts a store of its own, which is always free.

  color-code NAME, color-name CODE
      Convert between the eight device colors (agent property "orva.color") and their
      HTML codes: white #ede3d3, red #be1110, yellow #ffff43, violet #8a4280,
      green #4e8541, brown #754836, blue #163279, grey #acaea6. Exact, case-sensitive
      match; anything else fails.

  wpa PATH
      Writes the wpa_supplicant configuration for the "wlan.conf.*" and "country.code"
      properties to PATH. "wlan.conf.infra.security.level" chooses the network block:
      104 open, 105 pre-shared key (RSN), 107 pre-shared key (WPA), 106 EAP (RSN),
      109 the device's access point ("wlan.conf.ap.*"), any other level EAP (WPA) with
      "wlan.conf.infra.authentication" EAP-PEAP or EAP-TLS (another method writes an
      empty file). The file is written as PATH.new (mode 0600) and renamed over PATH
      when complete. It fails, leaving PATH as it was, when a setting it needs is
      missing, the band is neither 0 (5 GHz) nor 1 (2.4 GHz), a value holds a double
      quote or a control byte (or, outside quotes, a "#"), or the file can't be
      written; the log says which.

  passwd
      Sets the technician password that the configuration pages ask for, read from
      standard input: its first line, 8 to 128 bytes without control characters (the
      line feed is not part of it). Only a salted yescrypt hash is stored, in
      /config/configweb.password (mode 0600, replaced as a whole). Every session of the
      pages ends: everyone signs in again with the new password (status 1 when one of
      them can't be ended; the password is set all the same). Until the file exists
      the pages ask for no password and anyone on the network can change the device;
      removing it opens them again. Run it as the user the web server runs the pages as.
          printf '%s\n' 'new password' | zelconfig passwd

EXIT STATUS
  0  the command succeeded
  1  the command failed: a message on standard error, the details in the log
  2  usage error: no or an unknown command, or the wrong number of arguments

FILES
  /config/agent.configuration   the agent configuration: read by every command but
                                color-code, color-name and --help; written by set, and
                                with the factory content when it and its backup
                                agent.configuration.old are missing (.new and .lock
                                while saving)
  /sys/orva_neo/, /etc/VERSION, /app/VERSION, /livepatch/lp.info, /config/wlan.mac,
  /tmp/sf2static, /tmp/sf2status, /tmp/wolkvin, /tmp/moststate, /proc/meminfo,
  /proc/net/route, /sys/kernel/debug/usb/devices
                                read for the attributes (with the interfaces eth0 and
                                the WLAN interface, and `iw` for the WLAN link)
  PATH, PATH.new                written by wpa
  /config/configweb.password    the password's hash, written by passwd (.new while
                                writing); /tmp/configweb-sessions, the sessions it ends
  /tmp/log/configweb.log        the log, shared with the configuration pages (written
                                only when /tmp/log exists)
)";

    // `in`: where passwd reads the password.
    ZelConfigTool(std::ostream& out, std::ostream& err, std::istream& in = std::cin);
    ZelConfigTool(const ZelConfigTool&) = delete;
    ZelConfigTool& operator=(const ZelConfigTool&) = delete;
    virtual ~ZelConfigTool();

    // Runs the command of `arguments` (the command line without the program name) and
    // returns the exit status: kSuccess, kFailure, or kUsageError (after the usage hint on
    // `err`). "--help", "-h" and "help" print the manual.
    int Run(const std::vector<std::string>& arguments);

private:
    using Arguments = std::vector<std::string>;
    struct Command {
        const char* name;
        const char* synopsis;
        size_t minArguments;
        size_t maxArguments;
        int (ZelConfigTool::*run)(const Arguments&);
    };
    static const Command kCommands[];

    int Get(const Arguments& keys);
    int Show(const Arguments& none);
    int Set(const Arguments& keyAndValue);
    int Summary(const Arguments& none);
    int ColorCode(const Arguments& name);
    int ColorName(const Arguments& code);
    int Wpa(const Arguments& path);
    int Passwd(const Arguments& none);

    int UsageError(const std::string& message);
    int Failure(const std::string& message);

    std::ostream& out;
    std::ostream& err;
    std::istream& in;
};

#endif
