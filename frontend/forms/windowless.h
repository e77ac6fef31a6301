#pragma once
// Windowless elements: labels, images and shapes that a window draws over its
// own content. Having no window of their own they sit transparently on a
// painted background, and the window passes them the mouse events over them
// by hit-testing.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/drawing.h"
#include "forms/form.h"

namespace vessmark::forms {

class Windowless {
public:
    Windowless() = default;
    Windowless(const Windowless&) = delete;
    Windowless& operator=(const Windowless&) = delete;
    virtual ~Windowless();

    // Place in the owner's client area, twips.
    const TwipRect& Bounds() const { return bounds_; }
    void SetBounds(const TwipRect& bounds);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // A disabled element draws greyed (if it has a disabled look) and lets
    // the mouse through to what is under it.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Mouse events over the element, with X and Y from its top-left corner.
    std::function<void(const MouseEvent&)> MouseDown;
    std::function<void(const MouseEvent&)> MouseMove;
    std::function<void(const MouseEvent&)> MouseUp;

    // Asks the owner to draw the element again.
    void Refresh() const;
    // The element's place in pixels at a resolution.
    RECT PixelBounds(int dpi) const;
    virtual bool Contains(POINT pixel, int dpi) const;
    virtual void Paint(HDC dc, int dpi) = 0;

protected:
    Window* Owner() const { return owner_; }

private:
    friend class Window;
    Window* owner_ = nullptr;
    TwipRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
};

enum class Alignment { Left, Centre, Right };

// A text on its owner's background: transparent unless given a back colour,
// wrapped at blanks to its width, never cut off at its bottom edge.
class Label final : public Windowless {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const FontDescription& Font() const { return font_; }
    void SetFont(const FontDescription& font);
    std::uint32_t ForeColour() const { return foreColour_; }
    void SetForeColour(std::uint32_t colour);
    void SetBackColour(std::uint32_t colour);
    void SetTransparent();
    void SetAlignment(Alignment alignment);
    // A thin sunken border around the label.
    void SetBorder(bool border);
    // A one-line label: the text never wraps (it may reach past the width).
    void SetWordWrap(bool wordWrap);
    // Long words (a path) break anywhere to stay within the width, and
    // nothing is drawn outside the label.
    void SetBreakLongWords(bool breakLongWords);

    void Paint(HDC dc, int dpi) override;

private:
    std::string caption_;
    FontDescription font_{"MS Shell Dlg 2", 8.25};
    std::uint32_t foreColour_ = 0;
    std::uint32_t backColour_ = 0;
    bool transparent_ = true;
    Alignment alignment_ = Alignment::Left;
    bool border_ = false;
    bool breakLongWords_ = false;
    bool wordWrap_ = true;
    ScaledFont scaledFont_;
};

// A picture as forms hold it: its size in twips, and how to draw it at a
// size in pixels (0xAARRGGBB, straight alpha, rows top to bottom), so that
// it is drawn afresh and sharp at every resolution. Copies share the drawing.
class Picture {
public:
    using Drawing = std::function<std::vector<std::uint32_t>(int width, int height)>;
    Picture() = default;
    Picture(int widthTwips, int heightTwips, Drawing draw);
    bool Empty() const { return !draw_; }
    int WidthTwips() const { return widthTwips_; }
    int HeightTwips() const { return heightTwips_; }
    // The pixels at the given size; empty when there is no picture.
    std::vector<std::uint32_t> Pixels(int width, int height) const;
    // Pictures are the same when they share their drawing.
    bool SameAs(const Picture& other) const { return id_ == other.id_; }

private:
    int widthTwips_ = 0;
    int heightTwips_ = 0;
    Drawing draw_;
    unsigned id_ = 0;
};

// An image: a picture at its own size at the image's top-left corner,
// blended over what is under it.
class Image final : public Windowless {
public:
    Image() = default;
    ~Image() override;
    const Picture& GetPicture() const { return picture_; }
    void SetPicture(const Picture& picture);
    void Paint(HDC dc, int dpi) override;

private:
    void ReleaseBitmap();
    Picture picture_;
    // The picture drawn for the last resolution, premultiplied for blending.
    HBITMAP bitmap_ = nullptr;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};

// A rectangle shape: a one-pixel border line, nothing inside, and no mouse
// events (they go to what is under it).
class Shape final : public Windowless {
public:
    void SetBorderColour(std::uint32_t colour);
    bool Contains(POINT, int) const override { return false; }
    void Paint(HDC dc, int dpi) override;

private:
    std::uint32_t borderColour_ = 0;
};

} // namespace vessmark::forms
