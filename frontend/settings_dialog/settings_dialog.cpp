#include "settings_dialog.h"

namespace vessmark {

namespace {
constexpr int KindCount = 3; // Img_BGM(0) .. Img_BGM(2)
} // namespace

SettingsDialog::SettingsDialog(SettingsDialogView& view, FrontEndState& state, ProfilePort& profile,
                               PathPort& paths, SettingsLocation location)
    : view_(view), state_(state), profile_(profile), paths_(paths), location_(std::move(location))
{
}

void SettingsDialog::Load()
{
    const auto [screenWidth, screenHeight] = view_.ScreenSize();
    const auto [windowWidth, windowHeight] = view_.WindowSize();
    view_.MoveWindow(DialogPlacement(screenWidth, screenHeight, windowWidth, windowHeight));
    view_.InitCommandButtons(true, false);
    ShowKind(state_.BgmKind);
    // The text first, then the list: filling the list leaves the text alone.
    view_.SetTrackText(TrackText(state_.BgmRepeat));
    for (const std::string& item : TrackItems()) {
        view_.AddTrackItem(item);
    }
    view_.SetFileCaption(state_.BgmFile);
    const auto pointer = view_.CursorPosition();
    state_.ApiResult = pointer ? 1 : 0;
    cursor_ = RecordCursor(pointer);
    view_.AnimateOpen(cursor_);
    view_.SetMousePointer(MousePointer::Default);
}

void SettingsDialog::ShowKind(std::int16_t kind)
{
    // Every mark unselected, then the kind's; each control enabled only for
    // its own kind. Each control is set once, to what it ends up as: one
    // that stays enabled keeps the keyboard focus.
    const KindSelection selection = SelectionFor(kind);
    for (int mark = 0; mark < KindCount; ++mark) {
        view_.SetMark(mark, false);
    }
    if (selection.SelectedMark >= 0) {
        view_.SetMark(selection.SelectedMark, true);
    }
    view_.SetBrowseEnabled(selection.BrowseEnabled);
    view_.SetRepeatEnabled(selection.RepeatEnabled);
}

void SettingsDialog::ChooseKind(std::int16_t kind)
{
    state_.BgmKind = kind;
    ShowKind(kind);
}

void SettingsDialog::MoveKind(int direction)
{
    if (const auto next = NeighbourKind(state_.BgmKind, direction)) {
        ChooseKind(*next);
    }
}

void SettingsDialog::ChooseFile()
{
    const ChosenFile chosen = view_.ChooseMusicFile();
    state_.ApiResult = chosen.Result;
    if (chosen.Result <= 0) {
        return; // cancelled, or the dialog failed: the file stays as it was
    }
    const std::optional<std::string> storable = StorablePath(chosen.Path, paths_);
    if (!storable) {
        view_.ShowWarning(FileUnusableMessage(chosen.PathUtf8));
        return;
    }
    state_.BgmFile = *storable;
    view_.SetFileCaption(state_.BgmFile);
}

void SettingsDialog::Save()
{
    state_.BgmRepeat = TrackNumberFromText(view_.TrackText());
    if (!location_.File) {
        view_.ShowWarning(SaveFailedMessage(location_.Shown, FolderNameUnwritableReason));
        return;
    }
    const SaveOutcome outcome = SaveSettingsWhole(state_, profile_, *location_.File);
    if (!outcome.Saved) {
        // The choice stays on the screen: the person can fix the cause and
        // press the button again.
        view_.ShowWarning(SaveFailedMessage(location_.Shown, outcome.Reason));
        return;
    }
    Unload();
}

void SettingsDialog::OpenOtherWorks()
{
    pointer_ = MousePointer::Hourglass;
    view_.SetMousePointer(pointer_);
    view_.OpenAddress(ProjectPageAddress);
    pointer_ = MousePointer::Default;
    view_.SetMousePointer(pointer_);
}

void SettingsDialog::Unload()
{
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    view_.AnimateClose(cursor_);
    view_.Close();
}

} // namespace vessmark
