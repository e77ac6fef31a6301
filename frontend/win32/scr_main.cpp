// Vessmark.scr: what Windows starts for every screen-saver job. The command
// line's switch letter picks the job: "S" (or nothing) runs a show with music,
// "C" the settings, "P" the preview pane.

#include <windows.h>

#include "background_music.h"
#include "command_line.h"
#include "forms/form.h"
#include "platform_ports.h"
#include "preview_window.h"
#include "settings_file.h"
#include "show_runner.h"
#include "show_window.h"

namespace vessmark {

namespace {

constexpr char SettingsDialogCaption[] = "<Vessmark>";
constexpr char ApplicationTitle[] = "Vessmark (ScreenSaver)";
constexpr char RendererMissingText[] = "Vessmark.dll が Vessmark.scr と同じﾌｫﾙﾀﾞに見つかりません！";

// Everything the front end keeps for the whole run.
struct FrontEndProgram {
    FrontEndState State;
    WinmmPort Multimedia;
    PrivateProfilePort Profile;
    BackgroundMusic Music{State, Multimedia};
};

bool AnotherInstanceIsOpen()
{
    return FindWindowA(nullptr, ShowWindowCaption) != nullptr ||
           FindWindowA(nullptr, SettingsDialogCaption) != nullptr;
}

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
    if (AnotherInstanceIsOpen()) {
        forms::EndProgram();
    }
    const std::string arguments = ArgumentText(GetCommandLineA());
    const char letter = SwitchLetter(arguments);
    if (letter == 'P') {
        RunPreview(arguments);
        forms::EndProgram();
    }

    static FrontEndProgram program; // lives until the program ends at once
    const std::string folder = ProgramFolder();
    LoadSettings(program.State, program.Profile, SettingsPath(folder));

    if (!FileExists(RendererPath(folder))) {
        MessageBoxW(nullptr, forms::Widen(RendererMissingText).c_str(), forms::Widen(ApplicationTitle).c_str(),
                    MB_OK);
        forms::EndProgram();
    }
    if (letter == 'C') {
        forms::EndProgram(); // the settings dialog comes here
    }
    if (!arguments.empty() && letter != 'S') {
        forms::EndProgram();
    }
    if (letter == 'S') {
        ShowCursor(FALSE);
    }
    static ShowWindow show(program.State, program.Music, letter);
    if (!show.Load(folder)) {
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
