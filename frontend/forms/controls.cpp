#include "controls.h"

#include <algorithm>

namespace vessmark::forms {

namespace {
// How many items the open list shows before it scrolls.
constexpr int VisibleItems = 10;

} // namespace

// --- PictureBox -------------------------------------------------------------------

bool PictureBox::Load(Window& parent, const TwipRect& bounds)
{
    // WS_EX_CONTROLPARENT: Tab goes into the box and out again as if its
    // controls stood on the window itself.
    return CreateControl(parent, bounds, WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, "", WS_EX_CONTROLPARENT);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        surface_.Resize(LOWORD(lParam), HIWORD(lParam));
        if (Resized) {
            Resized();
        }
        Invalidate();
        return 0;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

void PictureBox::PaintContent(HDC dc, const RECT&)
{
    surface_.ShowOn(dc);
}

// --- ComboBox ---------------------------------------------------------------------

ComboBox::~ComboBox()
{
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
}

namespace {
// The height given to the window includes the open list.
int WindowHeight(const PixelRect& closed)
{
    return closed.Height + VisibleItems * std::max(closed.Height, 1);
}
} // namespace

bool ComboBox::Create(Window& parent, const TwipRect& bounds, int id, const FontDescription& font)
{
    parent_ = &parent;
    bounds_ = bounds;
    description_ = font;
    const PixelRect p = ControlPixels(bounds, parent.Dpi());
    window_ = CreateWindowExW(0, L"COMBOBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                              p.Left, p.Top, p.Width, WindowHeight(p), parent.Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        return false;
    }
    FitFont(FALSE);
    return true;
}

void ComboBox::Rescale()
{
    if (window_ == nullptr) {
        return;
    }
    const PixelRect p = ControlPixels(bounds_, parent_->Dpi());
    MoveWindow(window_, p.Left, p.Top, p.Width, WindowHeight(p), TRUE);
    FitFont(TRUE);
}

void ComboBox::FitFont(BOOL redraw)
{
    const int dpi = parent_->Dpi();
    const int height = ControlPixels(bounds_, dpi).Height;
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get(description_, dpi)), redraw);
    // The closed box is as high as the font makes its field; bring it to the
    // height given by changing the field's height by the difference. The
    // change is measured, not assumed: Wine reads the field's height back
    // two pixels higher than it was set.
    LRESULT field = SendMessageW(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && field != CB_ERR; ++attempt) {
        RECT closed{};
        GetWindowRect(window_, &closed);
        const int difference = height - (closed.bottom - closed.top);
        if (difference == 0 || field + difference <= 0) {
            break;
        }
        field += difference;
        SendMessageW(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

std::string ComboBox::Text() const
{
    if (window_ == nullptr) {
        return {};
    }
    return Utf8(WindowText(window_));
}

void ComboBox::SetText(const std::string& text)
{
    if (window_ != nullptr) {
        SetWindowTextW(window_, Widen(text).c_str());
    }
}

void ComboBox::AddItem(const std::string& item)
{
    if (window_ != nullptr) {
        const std::wstring wide = Widen(item);
        SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

bool ComboBox::Enabled() const
{
    return window_ != nullptr && IsWindowEnabled(window_);
}

void ComboBox::SetEnabled(bool enabled)
{
    if (window_ != nullptr) {
        EnableWindow(window_, enabled ? TRUE : FALSE);
    }
}

} // namespace vessmark::forms
