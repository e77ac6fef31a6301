#include "preview_window.h"

#include <algorithm>

namespace vessmark {

PreviewWindow::PreviewWindow(std::function<void()> whenGone)
    : whenGone_(std::move(whenGone)),
      picture_(static_cast<HBITMAP>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(PreviewPictureId), IMAGE_BITMAP, 0, 0, 0)))
{
}

PreviewWindow::~PreviewWindow()
{
    if (picture_ != nullptr) {
        DeleteObject(picture_);
    }
}

bool PreviewWindow::Open(HWND pane)
{
    RECT paneRect{};
    if (pane == nullptr || !IsWindow(pane) || !GetWindowRect(pane, &paneRect)) {
        return false;
    }
    const int width = paneRect.right - paneRect.left;
    const int height = paneRect.bottom - paneRect.top;
    if (!Create(PreviewCaption, WS_POPUP, 0, nullptr, 0, 0, width, height)) {
        return false;
    }
    HWND window = Handle();
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_CHILD);
    SetParent(window, pane);
    MoveWindow(window, 0, 0, width, height, FALSE);
    imageSize_ = {width, height};
    ShowWindow(window, SW_SHOW);
    return true;
}

HBRUSH PreviewWindow::BackgroundBrush() const
{
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

void PreviewWindow::PaintContent(HDC dc, const RECT&)
{
    if (picture_ == nullptr) {
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) {
        return;
    }
    HGDIOBJ old = SelectObject(source, picture_);
    // Natural size from the top-left corner; a smaller pane cuts it off.
    BitBlt(dc, 0, 0, std::min<int>(PreviewPictureWidth, imageSize_.cx),
           std::min<int>(PreviewPictureHeight, imageSize_.cy), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void PreviewWindow::OnDestroy()
{
    // The pane went away (or closed us): nothing is left to show.
    whenGone_();
}

} // namespace vessmark
