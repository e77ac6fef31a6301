#pragma once
// The settings dialog Tavisk_P as behaviour: what loading it does and in
// which order, what choosing a kind of music or a file does, and what "設定",
// "ｷｬﾝｾﾙ", "その他の作品" and closing do. The window (settings_dialog/win32)
// turns messages into these calls and performs what they ask of it through
// SettingsDialogView.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "ansi_path.h"
#include "dialog_rules.h"
#include "front_end_state.h"
#include "settings_file.h"

namespace vessmark {

// The author's page that "その他の作品" opens.
inline constexpr char ProjectPageAddress[] = "https://vessmark.example.org/";
// The open-file dialog of "...".
inline constexpr char MusicFilterName[] = "BGMﾌｧｲﾙ (MP3 WAV)";
inline constexpr char MusicFilterPattern[] = "*.MP3;*.WAV";
inline constexpr char OpenFileTitle[] = "ﾌｧｲﾙを開く";
// Why nothing can be saved when the program's folder has no name that the
// profile functions can take.
inline constexpr char FolderNameUnwritableReason[] =
    "このフォルダの名前はシステムのコード ページで書き表せないため、設定ファイルを開けません。";

enum class MousePointer { Default, Hourglass };

// The file the open-file dialog gave back.
struct ChosenFile {
    std::int32_t Result = 0; // the dialog's result: greater than 0 when a file was chosen
    std::wstring Path;       // the full path, as the system has it
    std::string PathUtf8;    // the same, for messages
};

// What the dialog asks of its window. Geometry is in twips.
class SettingsDialogView {
public:
    virtual ~SettingsDialogView() = default;

    virtual std::pair<double, double> ScreenSize() = 0;
    virtual std::pair<double, double> WindowSize() = 0;
    virtual void MoveWindow(TwipPoint position) = 0;
    // For every gradient button on the dialog, in control order: Initialize
    // when initialise is true, otherwise Enabled = enable.
    virtual void InitCommandButtons(bool initialise, bool enable) = 0;

    virtual void SetMark(int kind, bool selected) = 0; // Img_BGM(kind): the selected or the unselected picture
    virtual void SetRepeatEnabled(bool enabled) = 0;   // BGM_Repeat
    virtual void SetBrowseEnabled(bool enabled) = 0;   // Cmd_BGM
    virtual void SetTrackText(const std::string& text) = 0;
    virtual std::string TrackText() = 0;
    virtual void AddTrackItem(const std::string& item) = 0;
    // lbl_Fname; the path is in the ANSI code page, as the settings keep it.
    virtual void SetFileCaption(const std::string& ansiPath) = 0;

    // The pointer's screen position (pixels), when it can be read.
    virtual std::optional<std::pair<long, long>> CursorPosition() = 0;
    virtual void AnimateOpen(vessmark::CursorPosition cursor) = 0;
    virtual void AnimateClose(vessmark::CursorPosition cursor) = 0;
    virtual void SetMousePointer(MousePointer pointer) = 0;

    virtual ChosenFile ChooseMusicFile() = 0;
    virtual void OpenAddress(const std::string& address) = 0;
    // A message box owned by the dialog, with the warning icon; returns when closed.
    virtual void ShowWarning(const std::string& text) = 0;
    // Destroys the window; the modal show then ends.
    virtual void Close() = 0;
};

// Where the settings are saved.
struct SettingsLocation {
    // The path as the ANSI profile functions take it; nothing when the
    // folder's name cannot be written in the code page, not even in short.
    std::optional<std::string> File;
    std::string Shown; // the path as a person reads it (UTF-8), for messages
};

class SettingsDialog {
public:
    SettingsDialog(SettingsDialogView& view, FrontEndState& state, ProfilePort& profile, PathPort& paths,
                   SettingsLocation location);

    // Form_Load.
    void Load();
    // A mouse button went down on the mark or the label of a kind.
    void ChooseKind(std::int16_t kind);
    // Up (-1) or Down (+1) in the group of kinds: the next row on screen, as
    // a press on its mark; nothing at either end.
    void MoveKind(int direction);
    // "..."
    void ChooseFile();
    // "設定": saves the choice and closes, or says why it could not and stays.
    void Save();
    // "ｷｬﾝｾﾙ", Esc.
    void Cancel() { Unload(); }
    // "その他の作品"
    void OpenOtherWorks();
    // The close box, and every other way out: the closing effect, then the end.
    void Unload();

    vessmark::CursorPosition Cursor() const { return cursor_; }
    // The pointer every window of the dialog shows now: the hourglass for as
    // long as "その他の作品" opens the page, whatever messages come meanwhile.
    MousePointer Pointer() const { return pointer_; }

private:
    void ShowKind(std::int16_t kind);

    SettingsDialogView& view_;
    FrontEndState& state_;
    ProfilePort& profile_;
    PathPort& paths_;
    SettingsLocation location_;
    // CursorX, CursorY: where the pointer was when the dialog loaded; the
    // closing effect ends there, wherever the pointer is by then.
    vessmark::CursorPosition cursor_;
    MousePointer pointer_ = MousePointer::Default;
    bool unloaded_ = false;
};

} // namespace vessmark
