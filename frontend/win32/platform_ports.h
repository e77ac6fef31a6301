#pragma once
// The front end's seams bound to the real Windows functions.

#include "music/multimedia_port.h"
#include "settings_file.h"

#include <string>

namespace vessmark {

class WinmmPort final : public MultimediaPort {
public:
    std::uint32_t SendString(const char* command, char* answer, std::uint32_t length) override;
    bool ErrorString(std::uint32_t code, char* text, std::uint32_t length) override;
    std::uint32_t WaveOutDeviceCount() override;
    std::int32_t PlaySoundName(const char* sound, std::uint32_t flags) override;
};

class PrivateProfilePort final : public ProfilePort {
public:
    std::uint32_t GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                            std::uint32_t size, const char* file) override;
    bool WriteString(const char* section, const char* key, const char* value, const char* file) override;
};

// The folder of the running program (ANSI), without a final backslash.
std::string ProgramFolder();

} // namespace vessmark
