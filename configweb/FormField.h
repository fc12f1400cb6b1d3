#ifndef CONFIGWEB_FORMFIELD_H
#define CONFIGWEB_FORMFIELD_H

#include <cstddef>
#include <string>

class FormState;

// One entry of a select field: the value submitted and stored, the label shown, and
// optionally a colour (an HTML code) that the option is shown in.
struct SelectOption {
    const char* value;
    const char* label;
    const char* swatch;
};

// One field of a settings form: where its value comes from and goes to, how the page
// shows it and what the handler accepts. A page declares its fields as a table:
//     FormField::Text("outlet", "tol.outlet", "Outlet", "1 or 2 digits", CheckOutlet)
//         .WhenMissing(FormField::Absent::kFails)
class FormField {
public:
    enum class Kind {
        kText,
        // One of `options`, or the stored value when that is not one of them.
        kSelect,
        // Never written into a page or the log; an empty submission keeps the stored value,
        // and is rejected when none is stored.
        kSecret,
    };
    // A submission without the element: fails, fails with the field's flag, passes (the
    // field stored empty), or passes keeping the stored value.
    enum class Absent { kFails, kFlagged, kPasses, kKeeps };
    // What a submission stores for a field that is not editable at the moment.
    enum class Unedited { kKept, kCleared };

    // Judges a submitted value; `form` holds the values accepted before it.
    using Check = bool (*)(const std::string& value, const FormState& form);
    // Whether the field is editable, given the form's other values (submitted or shown).
    using Condition = bool (*)(const FormState& form);
    // The text under which an accepted value is stored.
    using StoredForm = std::string (*)(const std::string& accepted);

    static constexpr FormField Text(const char* element, const char* key, const char* label,
                                    const char* expected, Check accepts) {
        return FormField(Kind::kText, element, key, label, expected, accepts);
    }
    static constexpr FormField Secret(const char* element, const char* key, const char* label,
                                      const char* expected, Check accepts) {
        return FormField(Kind::kSecret, element, key, label, expected, accepts);
    }
    static constexpr FormField Select(const char* element, const char* key, const char* label,
                                      const SelectOption* choices, std::size_t count) {
        FormField field(Kind::kSelect, element, key, label, kExpectedChoice, nullptr);
        field.options = choices;
        field.optionCount = count;
        return field;
    }
    template <std::size_t N>
    static constexpr FormField Select(const char* element, const char* key, const char* label,
                                      const SelectOption (&choices)[N]) {
        return Select(element, key, label, choices, N);
    }

    constexpr FormField WhenMissing(Absent rule) const {
        FormField field = *this;
        field.absent = rule;
        return field;
    }
    constexpr FormField EditableWhen(Condition condition, Unedited rule = Unedited::kKept) const {
        FormField field = *this;
        field.editable = condition;
        field.unedited = rule;
        return field;
    }
    // The log lines of a missing ("%s": nothing) and of a rejected value ("%s": the value).
    constexpr FormField Logs(const char* notSet, const char* notValid) const {
        FormField field = *this;
        field.notSetMessage = notSet;
        field.notValidMessage = notValid;
        return field;
    }
    constexpr FormField StoredAs(StoredForm form) const {
        FormField field = *this;
        field.storedForm = form;
        return field;
    }
    // Shown after the field: its unit, or what the device has now (an attribute key).
    constexpr FormField Unit(const char* text) const {
        FormField field = *this;
        field.unit = text;
        return field;
    }
    constexpr FormField ShowsCurrent(const char* attributeKey) const {
        FormField field = *this;
        field.current = attributeKey;
        return field;
    }
    // A select whose stored value that is none of the options is not offered or kept.
    constexpr FormField OnlyOptions() const {
        FormField field = *this;
        field.keepsUnlisted = false;
        return field;
    }
    // A select that shows the page again when another option is chosen, so that the
    // fields that depend on it become editable or not at once.
    constexpr FormField ReloadsPage() const {
        FormField field = *this;
        field.reloads = true;
        return field;
    }

    // Whether `value` is one of the options of a select field.
    bool IsOption(const std::string& value) const;

    Kind kind;
    const char* element;
    const char* key;
    const char* label;
    // What the page says a rejected value should be ("Expected: " and this).
    const char* expected;
    Check accepts;
    Absent absent = Absent::kFlagged;
    Condition editable = nullptr;  // nullptr: always editable
    Unedited unedited = Unedited::kKept;
    const SelectOption* options = nullptr;
    std::size_t optionCount = 0;
    const char* notSetMessage = nullptr;    // nullptr: kNotSet with the element
    const char* notValidMessage = nullptr;  // nullptr: kNotValid with the element
    StoredForm storedForm = nullptr;
    const char* unit = nullptr;
    const char* current = nullptr;
    bool keepsUnlisted = true;
    bool reloads = false;

    static constexpr const char* kNotSet = "Element %s not set";
    static constexpr const char* kNotValid = "Element %s %s not valid";
    // A rejected secret is logged without its value.
    static constexpr const char* kSecretNotValid = "Element %s not valid";
    static constexpr const char* kExpectedChoice = "one of the choices";

private:
    constexpr FormField(Kind kind, const char* element, const char* key, const char* label,
                        const char* expected, Check accepts)
        : kind(kind),
          element(element),
          key(key),
          label(label),
          expected(expected),
          accepts(accepts) {}
};

#endif
