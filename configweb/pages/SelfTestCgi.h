#ifndef CONFIGWEB_PAGES_SELFTESTCGI_H
#define CONFIGWEB_PAGES_SELFTESTCGI_H

#include <string>

#include "SelfTestChecks.h"

namespace cgicc {
class Cgicc;
class HTMLElement;
}  // namespace cgicc

// The Self-Test page ("selftest.cgi"), read-only: every check of SelfTestChecks, run for
// this request, in one table of what was checked, what it saw and its verdict, with the
// count of each verdict above it and "Run again", which asks for the page anew.
class SelfTestCgi {
public:
    static constexpr const char* kTitle = "Self-Test";
    static constexpr const char* kTableClass = "Checks";
    static constexpr const char* kRunAgain = "Run again";
    static constexpr const char* kRunAgainName = "run";

    SelfTestCgi();
    SelfTestCgi(const SelfTestCgi&) = delete;
    SelfTestCgi& operator=(const SelfTestCgi&) = delete;
    virtual ~SelfTestCgi();

    void HandleRequest(cgicc::Cgicc& cgi);
    bool HasAnswered() const { return answered; }

private:
    static cgicc::HTMLElement* CreateTable(const SelfTestChecks::Outcome outcomes[]);
    static cgicc::HTMLElement* CreateCounts(const SelfTestChecks::Outcome outcomes[]);
    static cgicc::HTMLElement* CreateRunAgain(int32_t sessionId);

    bool answered = false;
};

#endif
