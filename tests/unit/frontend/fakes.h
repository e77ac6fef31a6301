#pragma once
// In-memory stand-ins for the platform's profile and multimedia functions.

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ansi_path.h"
#include "music/multimedia_port.h"
#include "settings_file.h"

namespace vessmark::testing {

// Initialisation files kept in memory, with the copying rules of the
// Windows profile functions (values cut to the buffer, count returned).
class FakeProfile final : public ProfilePort {
public:
    std::map<std::string, std::map<std::string, std::string>> Files; // file -> key -> value
    std::vector<std::string> WrittenKeys;
    std::vector<std::uint32_t> ReadSizes;

    std::uint32_t GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                            std::uint32_t size, const char* file) override
    {
        ReadSizes.push_back(size);
        std::string value = defaultValue;
        if (auto f = Files.find(file); f != Files.end() && std::string(section) == IniSection) {
            if (auto k = f->second.find(key); k != f->second.end()) {
                value = k->second;
            }
        }
        const std::size_t copied = std::min<std::size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::uint32_t>(copied);
    }

    // Writes of these keys fail (as a read-only file would), with this reason.
    std::vector<std::string> RefusedKeys;
    std::string RefusalReason = "Access denied.";

    bool WriteString(const char* section, const char* key, const char* value, const char* file) override
    {
        if (std::string(section) != IniSection) {
            return false;
        }
        if (std::find(RefusedKeys.begin(), RefusedKeys.end(), key) != RefusedKeys.end()) {
            return false;
        }
        WrittenKeys.emplace_back(key);
        if (value == nullptr) {
            Files[file].erase(key);
        } else {
            Files[file][key] = std::string(value).substr(0, CutValuesAfter);
        }
        return true;
    }

    // Values written are kept only up to this many bytes, and the write still
    // reports success (a full disk).
    std::size_t CutValuesAfter = std::string::npos;

    std::string LastErrorText() override { return RefusalReason; }
};

// An MCI device driven by a script: each command string gets an answer and a
// code from Reply (by default success with no answer); every command is logged.
class FakeMultimedia final : public MultimediaPort {
public:
    struct Reply {
        std::uint32_t Code = 0;
        std::string Answer;
        bool WritesAnswer = true; // a refused query may leave the buffer alone
    };
    std::function<Reply(const std::string&)> Script = [](const std::string&) { return Reply{}; };
    std::map<std::uint32_t, std::string> ErrorTexts;
    std::vector<std::string> Commands;
    std::vector<std::uint32_t> AnswerLengths;
    std::uint32_t WaveDevices = 2;
    struct Sound {
        bool HasName;
        std::string Name;
        std::uint32_t Flags;
    };
    std::vector<Sound> Sounds;
    std::int32_t PlaySoundResult = 1;

    std::uint32_t SendString(const char* command, char* answer, std::uint32_t length) override
    {
        Commands.emplace_back(command);
        AnswerLengths.push_back(answer == nullptr ? 0 : length);
        const Reply reply = Script(command);
        if (answer != nullptr && length > 0 && reply.WritesAnswer) {
            const std::size_t copied = std::min<std::size_t>(reply.Answer.size(), length - 1);
            std::memcpy(answer, reply.Answer.data(), copied);
            answer[copied] = '\0';
        }
        return reply.Code;
    }

    bool ErrorString(std::uint32_t code, char* text, std::uint32_t length) override
    {
        const auto found = ErrorTexts.find(code);
        if (found == ErrorTexts.end()) {
            return false;
        }
        std::snprintf(text, length, "%s", found->second.c_str());
        return true;
    }

    std::uint32_t WaveOutDeviceCount() override { return WaveDevices; }

    std::int32_t PlaySoundName(const char* sound, std::uint32_t flags) override
    {
        Sounds.push_back({sound != nullptr, sound != nullptr ? sound : "", flags});
        return PlaySoundResult;
    }
};

// Code page 1252 as a path port sees it: ASCII and Latin-1 survive, nothing
// else; short names only for the paths given them.
class FakePaths final : public PathPort {
public:
    std::map<std::wstring, std::wstring> ShortNames;
    std::vector<std::wstring> Asked; // paths whose short form was asked for

    std::optional<std::string> ToAnsi(const std::wstring& path) override
    {
        std::string ansi;
        for (wchar_t c : path) {
            if (c > 0xFF) {
                return std::nullopt;
            }
            ansi += static_cast<char>(c);
        }
        return ansi;
    }
    std::optional<std::wstring> ShortForm(const std::wstring& path) override
    {
        Asked.push_back(path);
        const auto found = ShortNames.find(path);
        return found == ShortNames.end() ? std::nullopt : std::optional(found->second);
    }
};

} // namespace vessmark::testing
