#include "dialog_pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "dialog_rules.h"

namespace vessmark {

namespace {
// Each pixel is sampled this many times across and down; the share of
// samples inside a shape is its coverage.
constexpr int Samples = 4;

struct Colour {
    double Red = 0;
    double Green = 0;
    double Blue = 0;
};

constexpr Colour MarkRing{64, 64, 96};
constexpr Colour MarkFill{255, 255, 255};
constexpr Colour MarkDot{0, 60, 116};
constexpr Colour NoteInk{24, 24, 64};

// A layer: a shape in unit coordinates (0..1 across the picture) and its colour.
struct Layer {
    std::function<bool(double x, double y)> Inside;
    std::function<Colour(double x, double y)> Paint;
};

// Paints the layers in order, each over the ones before, with straight alpha.
PictureImage Render(int size, const std::vector<Layer>& layers)
{
    PictureImage image;
    image.Width = image.Height = std::max(size, 1);
    image.Pixels.assign(static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height), 0);
    for (int py = 0; py < image.Height; ++py) {
        for (int px = 0; px < image.Width; ++px) {
            // Premultiplied sums over the samples, put back to straight alpha at the end.
            double red = 0, green = 0, blue = 0, alpha = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const double x = (px + (sx + 0.5) / Samples) / image.Width;
                    const double y = (py + (sy + 0.5) / Samples) / image.Height;
                    Colour sample;
                    bool covered = false;
                    for (const Layer& layer : layers) {
                        if (layer.Inside(x, y)) {
                            sample = layer.Paint(x, y);
                            covered = true;
                        }
                    }
                    if (covered) {
                        red += sample.Red;
                        green += sample.Green;
                        blue += sample.Blue;
                        alpha += 1;
                    }
                }
            }
            if (alpha == 0) {
                continue;
            }
            const auto channel = [&](double sum) {
                return static_cast<std::uint32_t>(std::clamp(std::lround(sum / alpha), 0L, 255L));
            };
            const auto a = static_cast<std::uint32_t>(std::lround(alpha * 255.0 / (Samples * Samples)));
            image.Pixels[static_cast<std::size_t>(py * image.Width + px)] =
                a << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
        }
    }
    return image;
}

std::function<Colour(double, double)> Solid(Colour colour)
{
    return [colour](double, double) { return colour; };
}

std::function<bool(double, double)> Disc(double cx, double cy, double radius)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

// An ellipse turned by angle (radians).
std::function<bool(double, double)> Ellipse(double cx, double cy, double rx, double ry, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return [=](double x, double y) {
        const double u = (x - cx) * c + (y - cy) * s;
        const double v = -(x - cx) * s + (y - cy) * c;
        return (u / rx) * (u / rx) + (v / ry) * (v / ry) <= 1.0;
    };
}

// A band of the given thickness along the segment from (x0, y0) to (x1, y1).
std::function<bool(double, double)> Bar(double x0, double y0, double x1, double y1, double thickness)
{
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
        return ex * ex + ey * ey <= thickness * thickness / 4;
    };
}

std::function<bool(double, double)> RoundedSquare(double margin, double radius)
{
    return [=](double x, double y) {
        const double lo = margin + radius, hi = 1.0 - margin - radius;
        const double dx = x < lo ? lo - x : x > hi ? x - hi : 0.0;
        const double dy = y < lo ? lo - y : y > hi ? y - hi : 0.0;
        return x >= margin && x <= 1.0 - margin && y >= margin && y <= 1.0 - margin &&
               dx * dx + dy * dy <= radius * radius;
    };
}
} // namespace

PictureImage DrawMarkPicture(bool selected, int size)
{
    std::vector<Layer> layers = {
        {Disc(0.5, 0.5, 0.47), Solid(MarkRing)},
        {Disc(0.5, 0.5, 0.47 - 1.4 / 12), Solid(MarkFill)},
    };
    if (selected) {
        layers.push_back({Disc(0.5, 0.5, 0.22), Solid(MarkDot)});
    }
    return Render(size, layers);
}

PictureImage DrawDialogIcon(int size)
{
    // The background band: dark blue at the top and bottom, lavender between,
    // as the dialog paints its own.
    const auto band = [](double, double y) {
        const int level = BandLevel(static_cast<int>(std::lround(y * 1000)), 1000);
        const std::uint32_t rgb = DialogRowColour(level);
        return Colour{static_cast<double>(rgb & 0xFF), static_cast<double>(rgb >> 8 & 0xFF),
                      static_cast<double>(rgb >> 16 & 0xFF)};
    };
    const double tilt = -0.45;
    const std::vector<Layer> layers = {
        {RoundedSquare(0.03, 0.16), band},
        {Ellipse(0.33, 0.72, 0.12, 0.085, tilt), Solid(NoteInk)},
        {Ellipse(0.71, 0.64, 0.12, 0.085, tilt), Solid(NoteInk)},
        {Bar(0.435, 0.70, 0.435, 0.22, 0.055), Solid(NoteInk)},
        {Bar(0.815, 0.62, 0.815, 0.14, 0.055), Solid(NoteInk)},
        {Bar(0.435, 0.24, 0.815, 0.16, 0.10), Solid(NoteInk)},
    };
    return Render(size, layers);
}

} // namespace vessmark
