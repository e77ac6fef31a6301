// The screen-saver password of the systems that have one (the Windows 9x line).
// Elsewhere the show simply ends.

#include "saver_host.h"

#include <string>

namespace vessmark {

namespace {
constexpr DWORD OsVersionInfoSize = 148;
constexpr char PasswordModule[] = "PASSWORD.CPL";
constexpr char PasswordFunction[] = "VerifyScreenSavePwd";

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);

// The module is loaded from the system folder by its full path: a bare name is
// looked up in the program's and the current folder first, where a planted
// module would run inside the screen saver.
HMODULE LoadPasswordModule()
{
    char folder[MAX_PATH]{};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::string path = std::string(folder, length) + "\\" + PasswordModule;
    return LoadLibraryA(path.c_str());
}
} // namespace

int VerifyPassword(SaverHost& host, HWND window)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = OsVersionInfoSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) {
        return 1;
    }
    HMODULE module = LoadPasswordModule();
    if (module == nullptr) {
        return 1;
    }
    const auto verify = reinterpret_cast<VerifyScreenSavePwdFn>(
        reinterpret_cast<void*>(GetProcAddress(module, PasswordFunction)));
    if (verify == nullptr) {
        FreeLibrary(module);
        return 1;
    }
    BOOL old = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &old, 0);
    host.Input.PasswordDialogActive = 1;
    const int result = verify(window);
    host.Input.PasswordDialogActive = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &old, 0);
    FreeLibrary(module);
    return result;
}

} // namespace vessmark
