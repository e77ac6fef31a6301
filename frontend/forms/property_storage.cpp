#include "property_storage.h"

#include <cmath>

#include "number_text.h"

namespace vessmark::forms {

namespace {
constexpr std::int64_t TrueNumber = -1;

// A value as a whole number: Booleans as -1 and 0, number texts rounded to
// the nearest integer (halves to the even one), fonts never.
std::optional<std::int64_t> AsInteger(const PropertyValue& value)
{
    if (const bool* flag = std::get_if<bool>(&value)) {
        return *flag ? TrueNumber : 0;
    }
    if (const std::int64_t* number = std::get_if<std::int64_t>(&value)) {
        return *number;
    }
    if (const std::string* text = std::get_if<std::string>(&value)) {
        const std::optional<double> parsed = ParseNumber(*text);
        if (!parsed || std::fabs(*parsed) > 9.0e18) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(std::nearbyint(*parsed));
    }
    return std::nullopt;
}

std::optional<bool> AsBool(const PropertyValue& value)
{
    if (const std::string* text = std::get_if<std::string>(&value)) {
        if (*text == "True") {
            return true;
        }
        if (*text == "False") {
            return false;
        }
    }
    const std::optional<std::int64_t> number = AsInteger(value);
    if (!number) {
        return std::nullopt;
    }
    return *number != 0;
}

std::optional<std::string> AsText(const PropertyValue& value)
{
    if (const std::string* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const bool* flag = std::get_if<bool>(&value)) {
        return std::string(*flag ? "True" : "False");
    }
    if (const std::int64_t* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    return std::nullopt;
}

bool IsNumeric(const PropertyValue& value)
{
    return std::holds_alternative<bool>(value) || std::holds_alternative<std::int64_t>(value);
}
} // namespace

std::optional<PropertyValue> StoredProperties::Find(const std::string& key)
{
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void StoredProperties::Store(const std::string& key, const PropertyValue& value)
{
    values_[key] = value;
}

void StoredProperties::Remove(const std::string& key)
{
    values_.erase(key);
}

bool SameValue(const PropertyValue& a, const PropertyValue& b)
{
    if (IsNumeric(a) || IsNumeric(b)) {
        const std::optional<std::int64_t> x = AsInteger(a);
        const std::optional<std::int64_t> y = AsInteger(b);
        return x && y && *x == *y;
    }
    return a == b;
}

std::optional<bool> PropertyBag::ReadBool(const std::string& key, bool defaultValue)
{
    const std::optional<PropertyValue> stored = storage_.Find(key);
    return stored ? AsBool(*stored) : defaultValue;
}

std::optional<std::int64_t> PropertyBag::ReadInteger(const std::string& key, std::int64_t defaultValue)
{
    const std::optional<PropertyValue> stored = storage_.Find(key);
    return stored ? AsInteger(*stored) : defaultValue;
}

std::optional<std::string> PropertyBag::ReadText(const std::string& key, const std::string& defaultValue)
{
    const std::optional<PropertyValue> stored = storage_.Find(key);
    return stored ? AsText(*stored) : defaultValue;
}

std::optional<FontDescription> PropertyBag::ReadFont(const std::string& key, const FontDescription& defaultValue)
{
    const std::optional<PropertyValue> stored = storage_.Find(key);
    if (!stored) {
        return defaultValue;
    }
    if (const FontDescription* font = std::get_if<FontDescription>(&*stored)) {
        return *font;
    }
    return std::nullopt;
}

void PropertyBag::Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue)
{
    if (SameValue(value, defaultValue)) {
        storage_.Remove(key);
    } else {
        storage_.Store(key, value);
    }
}

} // namespace vessmark::forms
