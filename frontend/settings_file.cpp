#include "settings_file.h"

#include <cmath>
#include <limits>
#include <vector>

#include "number_text.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vessmark {

namespace {
constexpr std::uint32_t FirstReadSize = 256;
// The profile functions cannot return more than this; a value this long is
// returned cut rather than looping for ever.
constexpr std::uint32_t LargestReadSize = 1u << 20;
} // namespace

std::string SettingsPath(std::string_view programFolder)
{
    std::string path(programFolder);
    path += '\\';
    path += SettingsFileName;
    return path;
}

namespace {
// A value that fills the buffer may have been cut: read again with a larger
// one until it fits, so that a long path is never lost.
std::string ReadWithDefault(ProfilePort& profile, const char* section, const char* key, const char* defaultValue,
                            const std::string& file)
{
    std::vector<char> buffer;
    for (std::uint32_t size = FirstReadSize;; size *= 2) {
        buffer.assign(size, '\0');
        const std::uint32_t copied = profile.GetString(section, key, defaultValue, buffer.data(), size, file.c_str());
        if (copied < size - 1 || size >= LargestReadSize) {
            break;
        }
    }
    return std::string(buffer.data()); // up to the first NUL
}

// A default no stored value can have (a line of the file holds no control
// characters), so that a missing key can be told from an empty one.
constexpr char MissingMarker[] = "\x01\x02missing\x02\x01";
} // namespace

std::string ReadIni(ProfilePort& profile, const char* section, const char* key, const std::string& file)
{
    return ReadWithDefault(profile, section, key, "", file);
}

std::optional<std::string> ReadIniKey(ProfilePort& profile, const char* section, const char* key,
                                      const std::string& file)
{
    std::string value = ReadWithDefault(profile, section, key, MissingMarker, file);
    if (value == MissingMarker) {
        return std::nullopt;
    }
    return value;
}

std::string WriteIni(ProfilePort& profile, const char* section, const char* key, const std::string& value,
                     const std::string& file)
{
    profile.WriteString(section, key, value.c_str(), file.c_str());
    return {};
}

bool FileExists(std::string path)
{
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return false;
    }
#if defined(_WIN32)
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened: false.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
#else
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(file, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(file);
    return regular;
#endif
}

std::optional<std::int16_t> IniInteger(std::string_view text)
{
    const std::optional<double> number = ParseNumber(text);
    if (!number) {
        return std::nullopt;
    }
    const double whole = std::floor(*number);
    if (whole < std::numeric_limits<std::int16_t>::min() || whole > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(whole);
}

void LoadSettings(FrontEndState& state, ProfilePort& profile, const std::string& settingsPath)
{
    state.BgmKind = IniInteger(ReadIni(profile, IniSection, IniKeyBgmKind, settingsPath)).value_or(0);
    state.BgmRepeat = IniInteger(ReadIni(profile, IniSection, IniKeyBgmRepeat, settingsPath)).value_or(0);

    state.BgmFile = ReadIni(profile, IniSection, IniKeyBgmFile, settingsPath);
    if (!state.BgmFile.empty() && FileExists(state.BgmFile)) {
        return;
    }
    // No usable music file: a file kind plays nothing; the CD kind keeps going.
    state.BgmFile.clear();
    if (state.BgmKind == BgmKindFile) {
        state.BgmKind = BgmKindNone;
    }
}

std::array<StoredSetting, 3> StoredSettings(const FrontEndState& state)
{
    return {{
        {IniKeyBgmKind, std::to_string(state.BgmKind)},
        {IniKeyBgmRepeat, std::to_string(state.BgmRepeat)},
        {IniKeyBgmFile, state.BgmFile},
    }};
}

void SaveSettings(const FrontEndState& state, ProfilePort& profile, const std::string& settingsPath)
{
    for (const StoredSetting& setting : StoredSettings(state)) {
        WriteIni(profile, IniSection, setting.Key, setting.Value, settingsPath);
    }
}

} // namespace vessmark
