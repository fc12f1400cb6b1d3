#ifndef CONFIGWEB_CONFIGWEBSTYLE_H
#define CONFIGWEB_CONFIGWEBSTYLE_H

#include <cgicc/HTMLClasses.h>

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <list>
#include <string>

#include "ConfigPages.h"

class InitialParameters;

// The HTML page shared by all pages of the configuration interface: HTTP header, document
// head, title bar with logo, navigation between the configuration pages and an empty
// content area that the page fills; the destructor closes the page.
//
// A page is written in this order: construct, SetTitle, any AddScript, WriteHead,
// WriteBodyStart, add the page's elements to the returned content area, destroy.
// At most one page is written per process: cgicc renders an element of a kind without text
// or children alternately as its opening and its closing tag, with one switch per kind for
// the whole process (html, head, body, title, script, ul), and the page relies on that.
// cgicc writes everything as it is given; no text or attribute value is escaped.
class ConfigWebStyle {
public:
    // Names of the buttons the forms post; the form handlers test for them.
    static constexpr const char* kSaveName = "submit";
    static constexpr const char* kRevertName = "revert";
    static constexpr const char* kRemoveName = "remove";
    static constexpr const char* kRemoveYesName = "removeyes";
    static constexpr const char* kRemoveNoName = "removeno";
    // What every page shows for a value whose source is missing.
    static constexpr const char* kNotAvailable = "not available";

    // Writes to standard output.
    ConfigWebStyle();
    // Writes to `out`, which must outlive this object.
    explicit ConfigWebStyle(std::ostream& out);
    ConfigWebStyle(const ConfigWebStyle&) = delete;
    ConfigWebStyle& operator=(const ConfigWebStyle&) = delete;
    // When WriteBodyStart was called: hands the content area over to the frame and writes
    // the frame on one line, then "</body>" and "</html>" on lines of their own.
    // Otherwise writes nothing, so neither body nor html is closed.
    virtual ~ConfigWebStyle();

    // The name of the current page: shown in the document title after
    // "ORVA Configuration Manager - " and marks the navigation item with exactly this label
    // (case-sensitive, blanks included) as "active". Empty: no suffix, no active item.
    void SetTitle(const std::string& newTitle);
    // Appends a script address; WriteHead links the scripts in the order added.
    void AddScript(const std::string& address);

    // Writes the HTTP header (plus an empty line), the strict HTML 4.0 document type,
    // "<html>" and the whole head: content type and no-cache meta data, the document title,
    // the style sheets, the icon, the scripts and "</head>". Each line is flushed.
    void WriteHead();
    // Writes the body start tag (with "onload" when it is not empty, then scroll="no") and
    // builds the frame with title bar and navigation for the session; the title bar offers
    // "Sign Out" (a form posting "signout" and the session id to the sign-in program) when
    // the request is signed in (see AccessGate). Returns the content
    // area, a div of class "Page" that stays owned by this object; the page adds its
    // elements to it. Call once, after WriteHead.
    cgicc::HTMLElement* WriteBodyStart(int32_t sessionId, const std::string& onload);
    // Adds to `parent` the navigation div: an empty "noBullets" list followed by one item
    // per configuration page, each linking to its CGI with "?sessionid=<id>".
    void AddNavigation(cgicc::HTMLElement* parent, int32_t sessionId);

    // Writes header, head and body start of the page that asks whether the settings named
    // `pageTitle` are really to be removed, and puts the confirmation form (posting to
    // `action` with "removeyes" or "removeno" and the hidden "sessionid") into the content
    // area. The form is written when this object is destroyed.
    void WriteRemoveConfirmation(const InitialParameters& parameters, const std::string& pageTitle,
                                 const std::string& action);
    // The same with the session id given directly.
    void WriteRemoveConfirmation(int32_t sessionId, const std::string& pageTitle,
                                 const std::string& action);

    // Adds to `form` the hidden field "sessionid" that carries the id ("%d") to the handler.
    static void AddSessionIdField(cgicc::HTMLElement* form, int32_t sessionId);
    // Hands over to `list` an option showing `label` and submitting `value`, marked
    // selected="selected" when `selected` is true.
    static void AddOption(cgicc::HTMLElement* list, const std::string& label,
                          const std::string& value, bool selected);
    // The same, shown on the background colour `swatch` (an HTML colour) unless it is null.
    static void AddOption(cgicc::HTMLElement* list, const std::string& label,
                          const std::string& value, bool selected, const char* swatch);
    // The style of an element shown on the background colour `color`.
    static std::string Background(const std::string& color);
    // Hands over to `parent` the centred box "changebuttons" with the buttons "submit"
    // ("Save Changes") and "revert" ("Clear Changes"), plus "remove" ("Remove Settings")
    // when `showRemove` is true, separated by blank spacers. With `enabled` false every
    // button is disabled.
    static void AddChangeButtons(cgicc::HTMLElement* parent, bool showRemove, bool enabled);
    // Hands over to `parent` the box "changebuttons" with the one button `name` (`label`).
    static void AddButtonBox(cgicc::HTMLElement* parent, const char* name, const char* label);

private:
    // The declaration HTMLDoctype::eStrict stands for. Written as text because the cgicc
    // we ship (3.2.19) renders that type malformed, which puts browsers into quirks mode.
    static constexpr const char* kDoctype =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
        "\"http://www.w3.org/TR/REC-html40/strict.dtd\">";
    static constexpr const char* kProductName = "ORVA Configuration Manager";
    static constexpr const char* kTitleSeparator = " - ";
    static constexpr const char* kContentType = "text/html;charset=iso-8859-1";
    static constexpr const char* kNoCache = "no-cache";
    static constexpr const char* kStyleSheet = "/style/iap2-styleguide.css";
    static constexpr const char* kColorSheet = "/style/color.css";
    static constexpr const char* kFavicon = "/style/favicon.ico";
    static constexpr const char* kLogo = "/style/logo-olmarcgroup.png";
    static constexpr const char* kLogoAlt = "OLMARC";
    // Class and id names the style sheets rely on.
    static constexpr const char* kHeaderId = "Header";
    static constexpr const char* kTitleClass = "Title";
    static constexpr const char* kLogoClass = "Logo";
    static constexpr const char* kNavigationId = "navigation";
    static constexpr const char* kNavigationListClass = "noBullets";
    static constexpr const char* kActiveClass = "active";
    static constexpr const char* kPageClass = "Page";
    static constexpr const char* kSessionSuffixFormat = "?sessionid=%d";
    static constexpr const char* kSessionIdFormat = "%d";
    static constexpr std::size_t kNumberBufferSize = 32;
    static constexpr const char* kQuestionStart = "Are you really sure to delete the settings for ";
    static constexpr const char* kQuestionEnd = "?";
    static constexpr const char* kQuestionBoxStyle = "margin: 40px auto; padding: 16px 32px;";
    static constexpr const char* kQuestionStyle = "margin-bottom: 40px;";
    static constexpr const char* kButtonSpacer = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
    static constexpr const char* kButtonBoxId = "changebuttons";
    static constexpr const char* kSaveLabel = "Save Changes";
    static constexpr const char* kRevertLabel = "Clear Changes";
    static constexpr const char* kRemoveLabel = "Remove Settings";
    static constexpr const char* kRemoveYesLabel = "Yes";
    static constexpr const char* kRemoveNoLabel = "No";
    static constexpr const char* kBackgroundStyle = "background-color: ";

    void WriteLine(const cgicc::HTMLElement& element);
    void WriteDocumentTitle();
    void WriteScripts();
    static cgicc::HTMLElement* CreateNavigationItem(const ConfigPages::Page& entry,
                                                    const std::string& suffix, bool active);
    static cgicc::HTMLElement* CreateQuestionBox(const std::string& pageTitle);
    static cgicc::HTMLElement* CreateSignOutForm(int32_t sessionId);
    static cgicc::input CreateButton(const char* name, const char* label, bool enabled);
    static std::string FormatNumber(const char* format, int32_t number);

    std::ostream& out;
    std::string title;
    // Never freed: the process ends right after writing its one page.
    cgicc::div* frame = nullptr;
    cgicc::div* page = nullptr;
    std::list<std::string> scripts;
};

#endif
