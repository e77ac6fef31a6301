#pragma once
// The frame rate in a corner of the picture, which XScreenSaver's users turn
// on with -fps. The counting is apart from the drawing so that it can be
// checked without OpenGL.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vessmark {

// Counts frames and gives the rate of the last whole second or more, so
// that the figure stays readable instead of flickering every frame.
class FpsCounter {
public:
    // Seconds between two updates of the shown rate.
    static constexpr double UpdateSeconds = 1.0;

    // A frame was presented at `seconds` (any steady clock).
    void Frame(double seconds);

    // The rate of the last update, or nothing before the first one.
    std::optional<double> Rate() const { return rate_; }

    // "FPS: 29.8", or "FPS: -" before the first update.
    std::string Text() const;

private:
    std::optional<double> since_; // when the current count began
    int frames_ = 0;
    std::optional<double> rate_;
};

// One character of the overlay's own small font: 5 columns by 7 rows, the
// top row first, bit 4 the leftmost column. The font needs nothing from the
// X server, so the overlay looks the same on every display.
inline constexpr int GlyphColumns = 5;
inline constexpr int GlyphRows = 7;
using Glyph = std::array<std::uint8_t, GlyphRows>;

// The glyph of a character the counter's text can hold, or nothing.
std::optional<Glyph> FpsGlyph(char character);

// Draws the text in the bottom-left corner of a width x height picture into
// the current context, and leaves the context's state as it found it.
void DrawFpsText(const std::string& text, int width, int height);

} // namespace vessmark
