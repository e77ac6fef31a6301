#pragma once
// Tavisk_P, the settings dialog, as a window: the form and its controls laid
// out in twips at the window's resolution, the painted backgrounds, the
// keyboard of a dialog, and the platform calls that SettingsDialog asks for.

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "command_button.h"
#include "forms/controls.h"
#include "forms/drawing.h"
#include "forms/form.h"
#include "forms/windowless.h"
#include "settings_dialog.h"

namespace vessmark {

// The three kinds of music as one radio group for the keyboard: a window with
// no size of its own that takes the focus in the tab order and turns the
// arrow keys into moves within the group. The marks and labels it stands for
// are drawn (and clicked) on the panel.
class KindGroup final : public forms::Control {
public:
    std::function<void(int direction)> Move; // -1 up, +1 down
    std::function<void(bool focused)> FocusChanged;

protected:
    const wchar_t* ClassName() const override { return L"VessmarkKindGroup"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The dotted focus rectangle around the chosen kind's label.
class FocusFrame final : public forms::Windowless {
public:
    bool Contains(POINT, int) const override { return false; }
    void Paint(HDC dc, int dpi) override;
};

// For every gradient button on the window and on the containers in it, in
// control order: Initialize when initialise is true, otherwise Enabled = enable.
void InitCommandButtons(HWND frame, bool initialise, bool enable);

class SettingsDialogWindow final : public forms::Form, private SettingsDialogView {
public:
    SettingsDialogWindow(FrontEndState& state, ProfilePort& profile, PathPort& paths, SettingsLocation location);
    ~SettingsDialogWindow() override;

    // Makes the window and its controls, runs the load, shows the dialog
    // modally with no owner and returns when it has closed.
    bool ShowDialog();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& area) override;
    void OnDpiChanged() override;

private:
    bool Make();
    // The caption's and the task switcher's icons, drawn for the resolution.
    void MakeIcons();
    void PaintBackground();
    void PaintPanel();
    void ShowFocus(bool focused);
    void KindPressed(std::int16_t kind);

    // SettingsDialogView
    std::pair<double, double> ScreenSize() override;
    std::pair<double, double> WindowSize() override;
    void MoveWindow(TwipPoint position) override;
    void InitCommandButtons(bool initialise, bool enable) override;
    void SetMark(int kind, bool selected) override;
    void SetRepeatEnabled(bool enabled) override;
    void SetBrowseEnabled(bool enabled) override;
    void SetTrackText(const std::string& text) override;
    std::string TrackText() override;
    void AddTrackItem(const std::string& item) override;
    void SetFileCaption(const std::string& ansiPath) override;
    std::optional<std::pair<long, long>> CursorPosition() override;
    void AnimateOpen(vessmark::CursorPosition cursor) override;
    void AnimateClose(vessmark::CursorPosition cursor) override;
    void SetMousePointer(MousePointer pointer) override;
    ChosenFile ChooseMusicFile() override;
    void OpenAddress(const std::string& address) override;
    void ShowWarning(const std::string& text) override;
    void Close() override;

    FrontEndState& state_;
    SettingsDialog dialog_;
    forms::Surface background_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND lastFocus_ = nullptr;

    // lbl(7) and Img_Ra(0), Img_Ra(1) on the dialog.
    forms::Label credit_;
    std::array<forms::Image, 2> markStores_;
    // Pic_C(0) and what stands on it.
    forms::PictureBox panel_;
    KindGroup kindGroup_;
    forms::ComboBox repeat_;
    CommandButton browse_;
    forms::Shape headingFrame_;
    forms::Label heading_;
    forms::Label repeatLabel_;
    std::array<forms::Label, 3> kindLabels_;
    std::array<forms::Image, 3> marks_;
    forms::Label fileName_;
    FocusFrame focusFrame_;
    // On the dialog, after the panel in the tab order.
    CommandButton set_;
    CommandButton cancel_;
    CommandButton other_;
};

} // namespace vessmark
