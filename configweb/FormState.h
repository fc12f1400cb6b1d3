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
    // The value the request gave for `element`, checked or not; "" when it gave none. For a
    // rule that spans fields and must judge a field by one that comes after it.
    virtual std::string Submitted(const char* element) const = 0;
    // The stored property `key` as AgentConfiguration::Get gives it.
    virtual std::string Stored(const std::string& key) const = 0;
    // The stored property's value into `value`; false (and `value` untouched) when there
    // is none.
    bool FindStored(const std::string& key, std::string& value) const;
};

#endif
