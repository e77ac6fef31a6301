#include "windowless.h"

#include <algorithm>

namespace vessmark::forms {

namespace {
// The text in lines no wider than width in the font selected into dc: as
// much as fits on each line, broken after the last blank or path separator
// that fits, else (one long word) after the last character that fits.
std::vector<std::wstring> BreakIntoLines(HDC dc, const std::wstring& text, int width)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const int remaining = static_cast<int>(text.size() - start);
        int fit = 0;
        SIZE extent{};
        if (!GetTextExtentExPointW(dc, text.c_str() + start, remaining, std::max(width, 1), &fit, nullptr, &extent) ||
            fit >= remaining) {
            lines.push_back(text.substr(start));
            break;
        }
        std::size_t length = static_cast<std::size_t>(std::max(fit, 1));
        for (std::size_t i = length; i > 1; --i) {
            const wchar_t c = text[start + i - 1];
            if (c == L' ' || c == L'\\' || c == L'/') {
                length = i;
                break;
            }
        }
        lines.push_back(text.substr(start, length));
        start += length;
    }
    return lines;
}
} // namespace

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

void Label::SetWordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
    Refresh();
}

void Label::SetBreakLongWords(bool breakLongWords)
{
    breakLongWords_ = breakLongWords;
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
    UINT format = DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE) | DT_NOCLIP;
    format |= alignment_ == Alignment::Centre ? DT_CENTER : alignment_ == Alignment::Right ? DT_RIGHT : DT_LEFT;
    std::vector<std::wstring> lines;
    int lineStep = 0;
    int firstLineOffset = 0;
    if (breakLongWords_) {
        // Broken here rather than by DrawText, which breaks only at blanks.
        // Lines stand one character height apart, the space a font keeps
        // above its characters left out, so that a label made for two lines
        // of text shows two lines in any font of that size.
        InflateRect(&rect, -1, -1); // the text stays off the border
        lines = BreakIntoLines(dc, text, rect.right - rect.left);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineStep = std::max<int>(metrics.tmHeight - metrics.tmInternalLeading, 1);
        firstLineOffset = -metrics.tmInternalLeading;
        format = DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP | DT_LEFT;
    }
    const auto draw = [&](const RECT& where) {
        if (lines.empty()) {
            RECT r = where;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
            return;
        }
        // Nothing outside the label.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            RECT line = where;
            line.top += firstLineOffset + static_cast<int>(i) * lineStep;
            if (line.top >= rect.bottom) {
                break;
            }
            DrawTextW(dc, lines[i].c_str(), static_cast<int>(lines[i].size()), &line, format);
        }
        RestoreDC(dc, saved);
    };
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (Enabled()) {
        SetTextColor(dc, ResolveColour(foreColour_));
        draw(rect);
    } else {
        // The standard look of disabled text: etched, a light copy a pixel
        // down and right under a grey one.
        RECT light = rect;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        draw(light);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        draw(rect);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

// --- Picture ----------------------------------------------------------------------

Picture::Picture(int widthTwips, int heightTwips, Drawing draw)
    : widthTwips_(widthTwips), heightTwips_(heightTwips), draw_(std::move(draw))
{
    static unsigned next = 0;
    id_ = ++next;
}

std::vector<std::uint32_t> Picture::Pixels(int width, int height) const
{
    if (!draw_ || width <= 0 || height <= 0) {
        return {};
    }
    std::vector<std::uint32_t> pixels = draw_(width, height);
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return pixels;
}

// --- Image ------------------------------------------------------------------------

Image::~Image()
{
    ReleaseBitmap();
}

void Image::ReleaseBitmap()
{
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
    bitmap_ = nullptr;
    bitmapWidth_ = bitmapHeight_ = 0;
}

void Image::SetPicture(const Picture& picture)
{
    if (picture.SameAs(picture_)) {
        return;
    }
    picture_ = picture;
    ReleaseBitmap();
    Refresh();
}

void Image::Paint(HDC dc, int dpi)
{
    if (picture_.Empty()) {
        return;
    }
    const int width = TwipsToPixels(picture_.WidthTwips(), dpi);
    const int height = TwipsToPixels(picture_.HeightTwips(), dpi);
    if (width <= 0 || height <= 0) {
        return;
    }
    if (bitmap_ == nullptr || width != bitmapWidth_ || height != bitmapHeight_) {
        ReleaseBitmap();
        void* bits = nullptr;
        bitmap_ = CreateTopDownBitmap(width, height, 32, &bits);
        if (bitmap_ == nullptr) {
            return;
        }
        // Blending wants each colour already multiplied by its alpha.
        auto* out = static_cast<std::uint32_t*>(bits);
        const std::vector<std::uint32_t> pixels = picture_.Pixels(width, height);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const std::uint32_t p = pixels[i];
            const std::uint32_t a = p >> 24;
            const auto times = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[i] = a << 24 | times(p >> 16 & 0xFF) << 16 | times(p >> 8 & 0xFF) << 8 | times(p & 0xFF);
        }
        GdiFlush();
        bitmapWidth_ = width;
        bitmapHeight_ = height;
    }
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) {
        return;
    }
    HGDIOBJ old = SelectObject(source, bitmap_);
    const RECT bounds = PixelBounds(dpi);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, bounds.left, bounds.top, width, height, source, 0, 0, width, height, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

// --- Shape ------------------------------------------------------------------------

void Shape::SetBorderColour(std::uint32_t colour)
{
    borderColour_ = colour;
    Refresh();
}

void Shape::Paint(HDC dc, int dpi)
{
    const RECT r = PixelBounds(dpi);
    HPEN pen = CreatePen(PS_SOLID, 1, ResolveColour(borderColour_));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

} // namespace vessmark::forms
