// Vessmark.scr: what Windows starts for every screen-saver job. The command
// line's switch letter picks the job: "S" (or nothing) runs a show with music,
// "C" the settings, "P" the preview pane.

#include <windows.h>

#include <optional>

#include "background_music.h"
#include "command_line.h"
#include "forms/form.h"
#include "platform_ports.h"
#include "preview_window.h"
#include "settings_dialog_window.h"
#include "settings_file.h"
#include "show_runner.h"
#include "show_window.h"
#include "start_up.h"

namespace vessmark {

namespace {

// Everything the front end keeps for the whole run.
struct FrontEndProgram {
    FrontEndState State;
    WinmmPort Multimedia;
    PrivateProfilePort Profile;
    BackgroundMusic Music{State, Multimedia};
    std::wstring Folder;
    // The settings file as the ANSI profile functions can open it; nothing
    // when the folder has no name in the system's code page, not even a short one.
    std::optional<std::string> SettingsFile;
};

class Win32StartUp final : public StartUpPlatform {
public:
    explicit Win32StartUp(FrontEndProgram& program) : program_(program) {}

    bool InstanceWindowExists() override
    {
        return FindWindowA(nullptr, ShowWindowCaption) != nullptr ||
               FindWindowA(nullptr, SettingsDialogCaption) != nullptr;
    }

    bool InstanceLockHeld() override
    {
        HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, InstanceLockName);
        if (lock != nullptr) {
            CloseHandle(lock);
            return true;
        }
        return GetLastError() == ERROR_ACCESS_DENIED; // it exists, made by another user's run
    }

    bool TakeInstanceLock() override
    {
        // Kept until the program ends; the system closes it then.
        HANDLE lock = CreateMutexW(nullptr, FALSE, InstanceLockName);
        const DWORD error = GetLastError();
        if (lock == nullptr) {
            // Another run's lock that this one may not open; any other failure
            // is skipped, as the front end skips failing steps.
            return error != ERROR_ACCESS_DENIED;
        }
        return error != ERROR_ALREADY_EXISTS;
    }

    void LoadSettings() override
    {
        Win32PathPort paths;
        if (const auto folder = AnsiPathFor(program_.Folder, paths)) {
            program_.SettingsFile = SettingsPath(*folder);
            vessmark::LoadSettings(program_.State, program_.Profile, *program_.SettingsFile);
        }
        // Otherwise the settings stay at their defaults: a show without music.
    }

    bool RendererExists() override { return FileExistsWide(program_.Folder + L"\\" + forms::Widen(RendererFileName)); }

    void ShowMessage(const std::string& text) override { ShowApplicationMessage(text); }

private:
    FrontEndProgram& program_;
};

int RunPreview(const std::string& arguments)
{
    const auto handle = PreviewParentHandle(arguments);
    // No number, 0 or no such window: there is no pane to fill.
    if (!handle || *handle == 0) {
        return 0;
    }
    HWND pane = reinterpret_cast<HWND>(static_cast<INT_PTR>(*handle));
    PreviewWindow preview;
    if (!preview.Open(pane)) {
        return 0;
    }
    return forms::RunMessageLoop();
}

} // namespace

int Main()
{
    static FrontEndProgram program; // lives until the program ends at once
    program.Folder = ProgramFolder();
    const std::string arguments = ArgumentText(GetCommandLineA());
    Win32StartUp startUp(program);

    switch (ChooseStartJob(startUp, arguments)) {
    case StartJob::Preview:
        RunPreview(arguments);
        forms::EndProgram();
    case StartJob::Settings: {
        // Modal, with no owner (a handle after the letter, as in /c:1234, is
        // not used); the program ends when it has closed.
        Win32PathPort paths;
        SettingsDialogWindow dialog(program.State, program.Profile, paths,
                                    SettingsLocation{program.SettingsFile, SettingsPath(forms::Utf8(program.Folder))});
        dialog.ShowDialog();
        forms::EndProgram();
    }
    case StartJob::End:
        forms::EndProgram();
    case StartJob::Show:
        break;
    }

    const char letter = SwitchLetter(arguments);
    if (letter == 'S') {
        ShowCursor(FALSE);
    }
    static ShowWindow show(program.State, program.Music, letter);
    if (!show.Load(forms::Utf8(program.Folder))) {
        forms::EndProgram();
    }
    forms::RunMessageLoop();
    forms::EndProgram();
}

} // namespace vessmark

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return vessmark::Main();
}
