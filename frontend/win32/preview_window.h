#pragma once
// The preview pane of the display settings: a still picture in a borderless
// child window that fills the pane. The program lives as long as it does.

#include <windows.h>

#include <functional>

#include "forms/form.h"

namespace vessmark {

inline constexpr char PreviewCaption[] = "Preview Window";
inline constexpr int PreviewPictureId = 200;
inline constexpr int PreviewPictureWidth = 152;
inline constexpr int PreviewPictureHeight = 112;

class PreviewWindow final : public forms::Form {
public:
    // whenGone runs once the window is destroyed; the program ends then.
    explicit PreviewWindow(std::function<void()> whenGone = forms::EndProgram);
    ~PreviewWindow() override;

    // Fills the pane with the picture; false when it cannot (then the program
    // has nothing to show and ends).
    bool Open(HWND pane);

protected:
    void PaintContent(HDC dc, const RECT& area) override;
    HBRUSH BackgroundBrush() const override;
    void OnDestroy() override;

private:
    std::function<void()> whenGone_;
    HBITMAP picture_ = nullptr;
    SIZE imageSize_{}; // the image control: the picture shows unscaled inside it
};

} // namespace vessmark
