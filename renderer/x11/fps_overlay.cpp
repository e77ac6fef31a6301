#include "fps_overlay.h"

#include <cstdio>

#include "gl_api.h"

namespace vessmark {

namespace {
constexpr int PixelScale = 2;  // each font pixel is a square this many screen pixels wide
constexpr int Margin = 8;      // from the picture's edges, in screen pixels
constexpr int Advance = GlyphColumns + 1;
constexpr GLfloat TextShade = 1.0f;
constexpr GLfloat BackdropShade = 0.0f;

struct GlyphEntry {
    char Character;
    Glyph Rows;
};

constexpr GlyphEntry Glyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
};

void Square(int x, int y, int side)
{
    glVertex2i(x, y);
    glVertex2i(x + side, y);
    glVertex2i(x + side, y + side);
    glVertex2i(x, y + side);
}
} // namespace

void FpsCounter::Frame(double seconds)
{
    if (!since_) {
        since_ = seconds;
        frames_ = 0;
        return;
    }
    ++frames_;
    const double elapsed = seconds - *since_;
    if (elapsed >= UpdateSeconds) {
        rate_ = frames_ / elapsed;
        since_ = seconds;
        frames_ = 0;
    }
}

std::string FpsCounter::Text() const
{
    if (!rate_) {
        return "FPS: -";
    }
    char text[32];
    std::snprintf(text, sizeof text, "FPS: %.1f", *rate_);
    return text;
}

std::optional<Glyph> FpsGlyph(char character)
{
    for (const GlyphEntry& entry : Glyphs) {
        if (entry.Character == character) {
            return entry.Rows;
        }
    }
    return std::nullopt;
}

void DrawFpsText(const std::string& text, int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    // Colour material would hand the overlay's colours to the spheres'
    // material; with it off they stay the overlay's own.
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // One unit per pixel, the origin in the bottom-left corner.
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const int cell = PixelScale;
    const int textWidth = static_cast<int>(text.size()) * Advance * cell;
    const int textHeight = GlyphRows * cell;
    glBegin(GL_QUADS);
    // A dark backdrop keeps the figure readable over a bright sphere.
    glColor3f(BackdropShade, BackdropShade, BackdropShade);
    glVertex2i(Margin - cell, Margin - cell);
    glVertex2i(Margin + textWidth, Margin - cell);
    glVertex2i(Margin + textWidth, Margin + textHeight + cell);
    glVertex2i(Margin - cell, Margin + textHeight + cell);
    glColor3f(TextShade, TextShade, TextShade);
    int left = Margin;
    for (const char character : text) {
        if (const auto glyph = FpsGlyph(character)) {
            for (int row = 0; row < GlyphRows; ++row) {
                for (int column = 0; column < GlyphColumns; ++column) {
                    if (((*glyph)[static_cast<std::size_t>(row)] >> (GlyphColumns - 1 - column)) & 1) {
                        Square(left + column * cell, Margin + (GlyphRows - 1 - row) * cell, cell);
                    }
                }
            }
        }
        left += Advance * cell;
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib(); // also gives back the matrix mode
}

} // namespace vessmark
