#pragma once
// The form layer's containers and system controls: the picture box (a child
// window with a persistent surface that its owner draws on whenever it is
// sized, and that holds other controls and windowless elements) and the
// editable drop-down combo box.

#include <windows.h>

#include <functional>
#include <string>

#include "forms/drawing.h"
#include "forms/form.h"

namespace vessmark::forms {

class PictureBox final : public Control {
public:
    // A child of the parent, placed in twips; its controls take part in the
    // dialog keyboard (Tab) of the window it stands on.
    bool Load(Window& parent, const TwipRect& bounds);
    // The persistent surface, as large as the client area.
    Surface& Picture() { return surface_; }
    // Called after every change of size, with the surface made anew: draw on it here.
    std::function<void()> Resized;

protected:
    const wchar_t* ClassName() const override { return L"VessmarkPictureBox"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& area) override;

private:
    Surface surface_;
};

// An editable drop-down combo box (the system's), placed in twips on its
// parent; its closed height is the height given, whatever the font. Texts
// are UTF-8.
class ComboBox {
public:
    ComboBox() = default;
    ComboBox(const ComboBox&) = delete;
    ComboBox& operator=(const ComboBox&) = delete;
    ~ComboBox();

    bool Create(Window& parent, const TwipRect& bounds, int id, const FontDescription& font);
    HWND Handle() const { return window_; }
    // Places the box and makes its font again at the parent's resolution.
    void Rescale();
    std::string Text() const;
    void SetText(const std::string& text);
    void AddItem(const std::string& item);
    bool Enabled() const;
    void SetEnabled(bool enabled);

private:
    // The font at the parent's resolution, and the closed height the twips give.
    void FitFont(BOOL redraw);

    HWND window_ = nullptr;
    Window* parent_ = nullptr;
    TwipRect bounds_;
    FontDescription description_;
    ScaledFont font_;
};

} // namespace vessmark::forms
