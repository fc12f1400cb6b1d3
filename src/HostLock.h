#ifndef SRC_HOSTLOCK_H
#define SRC_HOSTLOCK_H

#include <string>
#include <vector>

// The packet filter rules that open the service ports of the device to a reserving host,
// and the IPv4 forwarding switch, run through the shell. The exit codes of the commands are
// not examined: a rule that is not there to delete must not keep the others from running.
class HostLock {
public:
    static constexpr const char* kRefusedHostAddress =
        "Host address '%s' is no IPv4 address: packet filter left unchanged";

    // The address whose 32-bit number (first octet most significant) is the decimal text
    // `host`, read as the device's atol reads it (leading blanks and a sign allowed, up to
    // the first other byte, modulo 2^32): "3232235777" gives "192.168.1.1".
    static std::string HostNumberToAddress(const std::string& host);
    // The five commands of a lock (`lock`) or a release for `address`: the rules of the
    // four ports, with "-s ADDRESS" unless the address is "0.0.0.0", then the forwarding
    // switch.
    static std::vector<std::string> Commands(bool lock, const std::string& address);
    // Opens the ports to `address` and switches forwarding on.
    static void Lock(const std::string& address);
    // Deletes the rules for `address` (empty: none kept) and switches forwarding off. An
    // address that is neither empty nor a dotted quad never reaches the shell: the refusal
    // is logged and no command runs.
    static void Release(const std::string& address);

private:
    static constexpr const char* kAnyHostAddress = "0.0.0.0";
    static constexpr const char* kIptablesCommand = "/sbin/iptables ";
    static constexpr const char* kAppendRule = "-A";
    static constexpr const char* kDeleteRule = "-D";
    static constexpr const char* kRuleHead = " INPUT -p tcp ";
    static constexpr const char* kRuleTail = " --dport %u -j ACCEPT";
    static constexpr unsigned kLockedPorts[] = {6801, 6802, 52410, 52411};
    static constexpr const char* kSourceOption = "-s ";
    static constexpr const char* kForwardOnCommand = "/bin/echo 1 > /proc/sys/net/ipv4/ip_forward";
    static constexpr const char* kForwardOffCommand = "/bin/echo 0 > /proc/sys/net/ipv4/ip_forward";

    static bool IsDottedQuad(const std::string& address);
    static void Run(const std::vector<std::string>& commands);
};

#endif
