#pragma once
// The front end's seams bound to the real Windows functions.

#include "ansi_path.h"
#include "music/multimedia_port.h"
#include "settings_file.h"

#include <optional>
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
    std::string LastErrorText() override;

private:
    unsigned long lastError_ = 0;
};

// The folder of the running program, without a final backslash, as the
// system has it: every name, whatever the code page.
std::wstring ProgramFolder();

// FileExists for a path the ANSI code page may not hold.
bool FileExistsWide(std::wstring path);

// The system's text for an error code, on one line; "%1" stands for subject.
std::wstring SystemErrorText(unsigned long code, const std::wstring& subject);

class Win32PathPort final : public PathPort {
public:
    std::optional<std::string> ToAnsi(const std::wstring& path) override;
    std::optional<std::wstring> ShortForm(const std::wstring& path) override;
};

} // namespace vessmark
