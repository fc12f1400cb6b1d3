#ifndef CONFIGWEB_FORMSTATE_H
#define CONFIGWEB_FORMSTATE_H

#include <string>

// What a field's check or condition may look at besides its own value: the other fields of
// the form and the stored settings.
class FormState {
public:
    virtual ~FormState();

    // The value of the form's field `element` as it stands: in the handler the value
    // accepted so far ("" before its check, when rejected or missing), on the page the
    // value shown. "" for an element the form does not have.
    virtual const std::string& Value(const char* element) const = 0;
    // The stored property `key` as AgentConfiguration::Get gives it.
    virtual std::string Stored(const std::string& key) const = 0;
};

#endif
