#include "platform_ports.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace vessmark {

std::uint32_t WinmmPort::SendString(const char* command, char* answer, std::uint32_t length)
{
    return mciSendStringA(command, answer, length, nullptr);
}

bool WinmmPort::ErrorString(std::uint32_t code, char* text, std::uint32_t length)
{
    return mciGetErrorStringA(code, text, length) != FALSE;
}

std::uint32_t WinmmPort::WaveOutDeviceCount()
{
    return waveOutGetNumDevs();
}

std::int32_t WinmmPort::PlaySoundName(const char* sound, std::uint32_t flags)
{
    return PlaySoundA(sound, nullptr, flags);
}

std::uint32_t PrivateProfilePort::GetString(const char* section, const char* key, const char* defaultValue,
                                            char* buffer, std::uint32_t size, const char* file)
{
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

bool PrivateProfilePort::WriteString(const char* section, const char* key, const char* value, const char* file)
{
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

std::string ProgramFolder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            std::string folder(path.data(), length);
            folder.erase(folder.find_last_of('\\') == std::string::npos ? 0 : folder.find_last_of('\\'));
            return folder;
        }
        path.resize(path.size() * 2); // a long path: the name was cut
    }
}

} // namespace vessmark
