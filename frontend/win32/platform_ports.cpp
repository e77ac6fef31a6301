#include "platform_ports.h"

#include "forms/form.h"

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
    if (WritePrivateProfileStringA(section, key, value, file) != FALSE) {
        return true;
    }
    lastError_ = GetLastError();
    return false;
}

std::string PrivateProfilePort::LastErrorText()
{
    return lastError_ == 0 ? std::string() : forms::Utf8(SystemErrorText(lastError_, L""));
}

std::wstring ProgramFolder()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            const std::size_t slash = folder.find_last_of(L'\\');
            folder.erase(slash == std::wstring::npos ? 0 : slash);
            return folder;
        }
        path.resize(path.size() * 2); // a long path: the name was cut
    }
}

bool FileExistsWide(std::wstring path)
{
    if (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return false;
    }
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened: false.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

std::wstring SystemErrorText(unsigned long code, const std::wstring& subject)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return L"error " + std::to_wstring(code);
    }
    for (std::size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at + subject.size())) {
        text.replace(at, 2, subject);
    }
    return text;
}

std::optional<std::string> Win32PathPort::ToAnsi(const std::wstring& path)
{
    if (path.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(path.size());
    // A system whose ANSI code page is UTF-8 holds every name.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(CP_ACP, flags, path.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    if (length == 0 || usedDefault) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, path.data(), size, ansi.data(), length, nullptr, usedDefaultOut);
    // Only a name that comes back unchanged names the same file.
    if (usedDefault || forms::Widen(ansi, CP_ACP) != path) {
        return std::nullopt;
    }
    return ansi;
}

std::optional<std::wstring> Win32PathPort::ShortForm(const std::wstring& path)
{
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) {
        return std::nullopt;
    }
    std::wstring shortForm(needed, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortForm.data(), needed);
    if (length == 0 || length >= needed) {
        return std::nullopt;
    }
    shortForm.resize(length);
    return shortForm;
}

} // namespace vessmark
