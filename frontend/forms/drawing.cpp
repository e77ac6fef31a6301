#include "drawing.h"

#include <cmath>

#include "forms/form.h"

namespace vessmark::forms {


HBITMAP CreateTopDownBitmap(int width, int height, WORD bitCount, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

Surface::~Surface()
{
    Release();
}

void Surface::Release()
{
    if (dc_ != nullptr) {
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
    dc_ = nullptr;
    bitmap_ = nullptr;
    oldBitmap_ = nullptr;
    width_ = height_ = 0;
}

bool Surface::Resize(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0) {
        return false;
    }
    void* bits = nullptr;
    bitmap_ = CreateTopDownBitmap(width, height, 32, &bits);
    dc_ = CreateCompatibleDC(nullptr);
    if (bitmap_ == nullptr || dc_ == nullptr) {
        Release();
        return false;
    }
    oldBitmap_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
}

void Surface::Clear(COLORREF colour)
{
    if (Empty()) {
        return;
    }
    RECT all{0, 0, width_, height_};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

void Surface::ShowOn(HDC dc, int x, int y) const
{
    if (!Empty()) {
        BitBlt(dc, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
    }
}

int FontHeightPixels(double points, int dpi)
{
    return -static_cast<int>(std::lround(points * (dpi > 0 ? dpi : StandardDpi) / 72.0));
}

ScaledFont::~ScaledFont()
{
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

HFONT ScaledFont::Get(const FontDescription& description, int dpi)
{
    if (font_ != nullptr && description == description_ && dpi == dpi_) {
        return font_;
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
    LOGFONTW font{};
    font.lfHeight = FontHeightPixels(description.Size, dpi);
    font.lfWeight = description.Weight;
    font.lfItalic = description.Italic ? TRUE : FALSE;
    font.lfUnderline = description.Underline ? TRUE : FALSE;
    font.lfStrikeOut = description.Strikethrough ? TRUE : FALSE;
    font.lfCharSet = static_cast<BYTE>(description.CharSet);
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = Widen(description.Name);
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    font_ = CreateFontIndirectW(&font);
    description_ = description;
    dpi_ = dpi;
    return font_;
}

COLORREF ResolveColour(std::uint32_t colour)
{
    if ((colour & 0x80000000u) != 0) {
        return GetSysColor(static_cast<int>(colour & 0xFFu));
    }
    return colour & 0x00FFFFFFu;
}

} // namespace vessmark::forms
