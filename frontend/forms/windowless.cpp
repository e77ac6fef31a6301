#include "windowless.h"

namespace vessmark::forms {

Windowless::~Windowless()
{
    if (owner_ != nullptr) {
        owner_->RemoveWindowless(*this);
    }
}

void Windowless::SetBounds(const TwipRect& bounds)
{
    if (bounds == bounds_) {
        return;
    }
    Refresh(); // where it was
    bounds_ = bounds;
    Refresh();
}

void Windowless::SetVisible(bool visible)
{
    if (visible != visible_) {
        visible_ = visible;
        Refresh();
    }
}

void Windowless::SetEnabled(bool enabled)
{
    if (enabled != enabled_) {
        enabled_ = enabled;
        Refresh();
    }
}

RECT Windowless::PixelBounds(int dpi) const
{
    const PixelRect p = ControlPixels(bounds_, dpi);
    return {p.Left, p.Top, p.Left + p.Width, p.Top + p.Height};
}

bool Windowless::Contains(POINT pixel, int dpi) const
{
    const RECT r = PixelBounds(dpi);
    return PtInRect(&r, pixel) != FALSE;
}

void Windowless::Refresh() const
{
    if (owner_ == nullptr || owner_->Handle() == nullptr) {
        return;
    }
    // Text may reach past the bounds (it is never cut off): the whole
    // owner is cheaper to reason about than exact extents, and small.
    owner_->Invalidate();
}

void Label::SetCaption(const std::string& caption)
{
    if (caption != caption_) {
        caption_ = caption;
        Refresh();
    }
}

void Label::SetFont(const FontDescription& font)
{
    if (!(font == font_)) {
        font_ = font;
        Refresh();
    }
}

void Label::SetForeColour(std::uint32_t colour)
{
    if (colour != foreColour_) {
        foreColour_ = colour;
        Refresh();
    }
}

void Label::SetBackColour(std::uint32_t colour)
{
    backColour_ = colour;
    transparent_ = false;
    Refresh();
}

void Label::SetTransparent()
{
    transparent_ = true;
    Refresh();
}

void Label::SetAlignment(Alignment alignment)
{
    alignment_ = alignment;
    Refresh();
}

void Label::SetBorder(bool border)
{
    border_ = border;
    Refresh();
}

void Label::Paint(HDC dc, int dpi)
{
    RECT rect = PixelBounds(dpi);
    if (!transparent_) {
        HBRUSH brush = CreateSolidBrush(ResolveColour(backColour_));
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    if (border_) {
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    const std::wstring text = Widen(caption_);
    if (text.empty()) {
        return;
    }
    HGDIOBJ oldFont = SelectObject(dc, scaledFont_.Get(font_, dpi));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    UINT format = DT_NOPREFIX | DT_WORDBREAK | DT_NOCLIP;
    format |= alignment_ == Alignment::Centre ? DT_CENTER : alignment_ == Alignment::Right ? DT_RIGHT : DT_LEFT;
    if (Enabled()) {
        SetTextColor(dc, ResolveColour(foreColour_));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    } else {
        // The standard look of disabled text: etched, a light copy a pixel
        // down and right under a grey one.
        RECT light = rect;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &light, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

} // namespace vessmark::forms
