#ifndef CONFIGWEB_HTMLESCAPING_H
#define CONFIGWEB_HTMLESCAPING_H

#include <string>

// The one place that decides how a text from a request or a file is written into a page.
// cgicc writes texts and attribute values as they are given, so every such text passes
// through here first.
class HtmlEscaping {
public:
    // Written for a control byte (below 0x20, or 0x7f): the replacement character, so that
    // no byte of the result is one that HTML forbids.
    static constexpr const char* kControlReplacement = "&#65533;";

    // The text with "&", "<", ">", '"' and "'" written as character references and every
    // control byte as kControlReplacement; all other bytes, those from 0x80 up included
    // (the pages are ISO-8859-1), are kept. The result is safe both as element text and as
    // a quoted attribute value: it can't end the value, open a tag or start an entity of
    // its own.
    static std::string Escape(const std::string& text);
};

#endif
