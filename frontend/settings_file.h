#pragma once
// The settings file Vessmark.ini beside the programs: one section, three keys
// whose names are Japanese in code page 932. The bytes below are the file
// format on every system: they go to the ANSI profile functions unchanged.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "front_end_state.h"

namespace vessmark {

inline constexpr char IniSection[] = "Section";
inline constexpr char IniKeyBgmKind[] = "BGM\x8B\xE6\x95\xAA";          // BGM区分
inline constexpr char IniKeyBgmRepeat[] = "BGM\xD8\xCB\xDF\xB0\xC4";    // BGMﾘﾋﾟｰﾄ
inline constexpr char IniKeyBgmFile[] = "BGM\xCC\xA7\xB2\xD9";          // BGMﾌｧｲﾙ
inline constexpr char SettingsFileName[] = "Vessmark.ini";

// The initialisation-file functions, as the platform offers them. Windows
// binds GetPrivateProfileStringA and WritePrivateProfileStringA; tests bind a
// fake that keeps the file in memory.
class ProfilePort {
public:
    virtual ~ProfilePort() = default;
    // Copies the value (or the default) into buffer, cut to size - 1 bytes and
    // NUL-terminated; returns the number of bytes copied without the NUL.
    virtual std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                                    char* buffer, std::uint32_t size, const char* file) = 0;
    // A null value removes the key.
    virtual bool WriteString(const char* section, const char* key, const char* value, const char* file) = 0;
    // Why the last write failed, in words (UTF-8); empty when not known.
    virtual std::string LastErrorText() { return {}; }
};

// The settings file's path: the program's folder, a backslash, the file name.
// The separator is always added, even after a drive root.
std::string SettingsPath(std::string_view programFolder);

// The whole stored value, however long; a missing file, section or key reads
// as the empty string.
std::string ReadIni(ProfilePort& profile, const char* section, const char* key, const std::string& file);

// The stored value, or nothing when the key (or the file) is not there.
std::optional<std::string> ReadIniKey(ProfilePort& profile, const char* section, const char* key,
                                      const std::string& file);

// Stores a value; a failure is ignored. Returns the empty string.
std::string WriteIni(ProfilePort& profile, const char* section, const char* key, const std::string& value,
                     const std::string& file);

// True when the path names a file that can be opened for reading. One final
// backslash is dropped first. A folder or an empty path is false. Never
// creates anything.
bool FileExists(std::string path);

// A stored number: the number's fraction rounded toward minus infinity, as a
// 16-bit integer. Nothing for text that is no number (see ParseNumber) or for
// a result outside -32768..32767.
std::optional<std::int16_t> IniInteger(std::string_view text);

// Fills the music settings from the settings file. Afterwards the kind is the
// music file (2) only if the file can be opened, and the path is empty or
// names such a file.
void LoadSettings(FrontEndState& state, ProfilePort& profile, const std::string& settingsPath);

// One key of the settings file and the text stored under it.
struct StoredSetting {
    const char* Key;
    std::string Value;
};

// The music settings as the file stores them, in the file's key order.
std::array<StoredSetting, 3> StoredSettings(const FrontEndState& state);

// Writes the music settings in the file's key order.
void SaveSettings(const FrontEndState& state, ProfilePort& profile, const std::string& settingsPath);

} // namespace vessmark
