#pragma once
// The start of every run of Vessmark.scr: which job this run does, or whether
// it ends at once. The program performs the job; the decisions and their
// order live here so that they can be tested without Windows.

#include <string>

namespace vessmark {

inline constexpr char ShowWindowCaption[] = "Tavisk_Main";      // marks a running show
inline constexpr char SettingsDialogCaption[] = "<Vessmark>";   // marks an open settings dialog
inline constexpr char ApplicationTitle[] = "Vessmark (ScreenSaver)";
inline constexpr char RendererMissingText[] = "Vessmark.dll が Vessmark.scr と同じﾌｫﾙﾀﾞに見つかりません！";
// Held by a show or a settings run from its renderer check to its end, so that
// of two runs started in the same instant only one goes on: the window
// captions above appear only later. "Local\": one per logon session.
inline constexpr wchar_t InstanceLockName[] = L"Local\\Vessmark.ScreenSaver.Instance";

enum class StartJob { End, Preview, Settings, Show };

class StartUpPlatform {
public:
    virtual ~StartUpPlatform() = default;
    // A window captioned "Tavisk_Main" or "<Vessmark>" exists.
    virtual bool InstanceWindowExists() = 0;
    // Another run holds the instance lock.
    virtual bool InstanceLockHeld() = 0;
    // Takes the instance lock for the rest of this run; false when another
    // run holds it already.
    virtual bool TakeInstanceLock() = 0;
    // Reads the settings file into the program's settings, where it can be read.
    virtual void LoadSettings() = 0;
    virtual bool RendererExists() = 0;
    // A message box with the application title and an OK button; returns when closed.
    virtual void ShowMessage(const std::string& text) = 0;
};

// In order: another run's markers end this one (a preview too); "P" goes to
// the preview without settings or renderer; the settings are loaded; a
// missing renderer is reported and ends every other job; "C" and a show (the
// letter "S" or no argument at all) take the instance lock and go on only if
// they got it; any other argument ends the run.
StartJob ChooseStartJob(StartUpPlatform& platform, const std::string& argumentText);

} // namespace vessmark
