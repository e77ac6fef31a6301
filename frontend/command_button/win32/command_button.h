#pragma once
// The gradient push button's window, class "Tavisk.Command": a child window
// with a persistent surface on which each state change paints the whole face
// (a vertical gradient framed by pieces of a skin picture), the caption as a
// windowless label over it, a 100 ms pointer watch, and keyboard clicks.
// What each event does is decided by Command; this is its platform half.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "command.h"
#include "forms/drawing.h"
#include "forms/form.h"
#include "forms/windowless.h"

namespace vessmark {

class CommandButton final : public forms::Control, private CommandSurface {
public:
    static constexpr wchar_t WindowClass[] = L"Tavisk.Command";

    CommandButton();
    ~CommandButton() override;

    // Loads the button onto its host as a form does: makes the window (a tab
    // stop), reads the stored properties, then gives it its place (twips in
    // the host's client area), which paints its face.
    bool Load(forms::Window& host, const forms::TwipRect& bounds, forms::PropertyStorage& stored);
    // Stores the button's settings, each unless it is at its default.
    void Save(forms::PropertyStorage& stored);

    // The members a host uses.
    const std::string& Caption() const { return core_.Caption(); }
    void SetCaption(const std::string& caption) { core_.SetCaption(caption); }
    const forms::FontDescription& Font() const { return core_.Font(); }
    void SetFont(const forms::FontDescription& font) { core_.SetFont(font); }
    std::uint32_t FontColour() { return core_.FontColour(); }
    void SetFontColour(std::uint32_t colour) { core_.SetFontColour(colour); }
    bool Enabled() { return core_.Enabled(); }
    void SetEnabled(bool enabled) { core_.SetEnabled(enabled); }
    std::uint8_t Visible() { return core_.Visible(); }
    void SetVisible(std::uint8_t visible) { core_.SetVisible(visible); }
    void Initialize() { core_.Initialize(); }
    // Raised by a click (see Command); may close the whole form.
    void OnClick(std::function<void()> click) { core_.Click = std::move(click); }

private:
    // forms::Window
    const wchar_t* ClassName() const override { return WindowClass; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& area) override;
    void OnMouseDown(const forms::MouseEvent& event) override;
    void OnMouseMove(const forms::MouseEvent& event) override;
    void OnMouseUp(const forms::MouseEvent& event) override;
    void OnDpiChanged() override;
    void OnCaptureLost() override { core_.CaptureLost(); }

    // CommandSurface
    void DrawFace(Skin skin, bool gradientReversed) override;
    void Refresh() override;
    void StartPointerWatch(std::uint32_t intervalMs) override;
    void AcceptInput(bool accept) override;

    void DrawGradient(bool reversed);
    void LayOutCaption();
    void WatchPointer();

    Command core_;
    forms::Window* host_ = nullptr; // its font is the buttons' default font
    forms::Surface surface_;
    forms::Label captionLabel_;
    forms::Timer pointerWatch_;
    // The six skin pictures, drawn from their colour table when the button is made.
    std::array<HBITMAP, 6> skins_{};
    HDC skinDc_ = nullptr;
    HGDIOBJ skinDcBitmap_ = nullptr;
    bool rescaling_ = false; // the size that comes is a new resolution's
};

} // namespace vessmark
