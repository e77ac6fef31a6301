#pragma once
// The property storage of the form layer: a control's stored settings, keyed
// by name, as a form definition holds them. Reader and writer agree on a
// default for every key: a value equal to its default is not stored, and a
// missing key reads as its default.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vessmark::forms {

// A font as forms store it; the window system makes the real font from it at
// the window's resolution.
struct FontDescription {
    std::string Name;   // face name, UTF-8
    double Size = 9.0;  // points
    int Weight = 400;   // 400 regular, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int CharSet = 1;    // the window system's character set number; 1 = the system's default
    bool operator==(const FontDescription&) const = default;
};

using PropertyValue = std::variant<bool, std::int64_t, std::string, FontDescription>;

// The storage itself, keyed by name. A form definition is one of these; tests
// bring their own to watch the order of the keys.
class PropertyStorage {
public:
    virtual ~PropertyStorage() = default;
    virtual std::optional<PropertyValue> Find(const std::string& key) = 0;
    virtual void Store(const std::string& key, const PropertyValue& value) = 0;
    virtual void Remove(const std::string& key) = 0;
};

// A stored definition in memory, written in code as a list of keys and values.
class StoredProperties final : public PropertyStorage {
public:
    StoredProperties() = default;
    StoredProperties(std::initializer_list<std::pair<const std::string, PropertyValue>> values) : values_(values) {}

    std::optional<PropertyValue> Find(const std::string& key) override;
    void Store(const std::string& key, const PropertyValue& value) override;
    void Remove(const std::string& key) override;
    const std::map<std::string, PropertyValue>& Values() const { return values_; }

private:
    std::map<std::string, PropertyValue> values_;
};

// Reading and writing with a default per key. A read gives the default for a
// missing key, and nothing (std::nullopt) for a stored value that cannot be
// read as the asked type: the caller then leaves its setting as it is.
// Booleans and numbers convert as forms always have: True is -1, any non-zero
// number is True, and number texts ("1", " 2.5") are numbers.
class PropertyBag {
public:
    explicit PropertyBag(PropertyStorage& storage) : storage_(storage) {}

    std::optional<bool> ReadBool(const std::string& key, bool defaultValue);
    std::optional<std::int64_t> ReadInteger(const std::string& key, std::int64_t defaultValue);
    std::optional<std::string> ReadText(const std::string& key, const std::string& defaultValue);
    std::optional<FontDescription> ReadFont(const std::string& key, const FontDescription& defaultValue);

    // Stores the value, or removes the key when the value equals the default
    // (so that a later read gives the default, not an older stored value).
    void Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue);

private:
    PropertyStorage& storage_;
};

// Whether two values are the same setting: numbers, Booleans and number texts
// compare by value ("1" equals 1, True equals -1); other texts and fonts compare exactly.
bool SameValue(const PropertyValue& a, const PropertyValue& b);

} // namespace vessmark::forms
