#pragma once
// An initialisation file given as its text, read the way the system's profile
// functions read one: lines end at "\n" (a "\r" before it is dropped), blanks
// around lines, names and values do not count, "[name]" opens a section, the
// first "=" splits a key from its value, a value in matching quotes loses
// them, names compare without regard to ASCII case, and the first section and
// key of a name win. Writes are recorded, not applied to the text.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings_file.h"

namespace vessmark::testing {

class IniTextProfile final : public ProfilePort {
public:
    struct Access {
        std::string Section;
        std::string Key;
        std::string Value; // written value (writes only)
        std::string File;
    };
    std::vector<Access> Reads;
    std::vector<Access> Writes;

    explicit IniTextProfile(std::string text) : text_(std::move(text)) {}

    // The value of a key as the profile functions find it, or nothing.
    std::optional<std::string> Lookup(const std::string& section, const std::string& key) const
    {
        bool inSection = false;
        bool sectionSeen = false;
        std::size_t at = 0;
        while (at <= text_.size()) {
            std::size_t end = text_.find('\n', at);
            if (end == std::string::npos) {
                end = text_.size();
            }
            std::string line = Trim(text_.substr(at, end - at));
            at = end + 1;
            if (!line.empty() && line.front() == '[') {
                const std::size_t close = line.rfind(']');
                if (close == std::string::npos) {
                    continue;
                }
                if (inSection) {
                    return std::nullopt; // the first section of the name has no such key
                }
                inSection = !sectionSeen && SameName(Trim(line.substr(1, close - 1)), section);
                sectionSeen = sectionSeen || inSection;
                continue;
            }
            if (!inSection) {
                continue;
            }
            const std::size_t equals = line.find('=');
            if (SameName(Trim(line.substr(0, equals)), key)) {
                return equals == std::string::npos ? std::string() : Unquoted(Trim(line.substr(equals + 1)));
            }
        }
        return std::nullopt;
    }

    std::uint32_t GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                            std::uint32_t size, const char* file) override
    {
        Reads.push_back({section, key, {}, file});
        const std::string value = Lookup(section, key).value_or(defaultValue);
        if (size == 0) {
            return 0;
        }
        const std::size_t copied = std::min<std::size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::uint32_t>(copied);
    }

    bool WriteString(const char* section, const char* key, const char* value, const char* file) override
    {
        Writes.push_back({section, key, value, file});
        return true;
    }

    // The text of a file holding what was written: one section per name, the
    // keys in the order first written, each with its last value.
    std::string Text() const
    {
        std::vector<Access> keys;
        for (const Access& write : Writes) {
            auto same = std::find_if(keys.begin(), keys.end(), [&](const Access& k) {
                return k.Section == write.Section && k.Key == write.Key;
            });
            if (same == keys.end()) {
                keys.push_back(write);
            } else {
                same->Value = write.Value;
            }
        }
        std::string text;
        std::vector<std::string> sections;
        for (const Access& k : keys) {
            if (std::find(sections.begin(), sections.end(), k.Section) == sections.end()) {
                sections.push_back(k.Section);
            }
        }
        for (const std::string& section : sections) {
            text += "[" + section + "]\r\n";
            for (const Access& k : keys) {
                if (k.Section == section) {
                    text += k.Key + "=" + k.Value + "\r\n";
                }
            }
        }
        return text;
    }

private:
    std::string text_;

    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    static std::string Trim(const std::string& text)
    {
        std::size_t begin = 0;
        std::size_t end = text.size();
        while (begin < end && IsBlank(text[begin])) {
            ++begin;
        }
        while (end > begin && IsBlank(text[end - 1])) {
            --end;
        }
        return text.substr(begin, end - begin);
    }

    static std::string Unquoted(const std::string& value)
    {
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            return value.substr(1, value.size() - 2);
        }
        return value;
    }

    static char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

    static bool SameName(const std::string& a, const std::string& b)
    {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return Folded(x) == Folded(y);
               });
    }
};

} // namespace vessmark::testing
