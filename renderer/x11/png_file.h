#pragma once
// Pictures as 8-bit RGB PNG files, rows from the top.

#include <cstdint>
#include <string>
#include <vector>

namespace vessmark {

struct RgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels; // Width x Height x 3, top row first
};

// Returns an error text, empty on success.
std::string WritePng(const std::string& path, const RgbImage& image);

// Reads any 8-bit PNG as RGB (alpha dropped, palettes and greys expanded).
// Returns an error text, empty on success.
std::string ReadPng(const std::string& path, RgbImage& image);

} // namespace vessmark
