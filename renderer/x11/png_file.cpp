#include "png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vessmark {

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

std::string WritePng(const std::string& path, const RgbImage& image)
{
    if (image.Width <= 0 || image.Height <= 0
        || image.Pixels.size() != static_cast<std::size_t>(image.Width) * image.Height * 3) {
        return "no picture to write";
    }
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return "cannot write " + path + ": " + std::strerror(errno);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    png.format = PNG_FORMAT_RGB;
    if (png_image_write_to_stdio(&png, file.get(), 0, image.Pixels.data(), 0, nullptr) == 0) {
        std::string error = "cannot write " + path + ": " + png.message;
        png_image_free(&png);
        return error;
    }
    if (std::fflush(file.get()) != 0) {
        return "cannot write " + path + ": " + std::strerror(errno);
    }
    return {};
}

std::string ReadPng(const std::string& path, RgbImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        std::string error = "cannot read " + path + ": " + png.message;
        png_image_free(&png);
        return error;
    }
    png.format = PNG_FORMAT_RGB;
    image.Width = static_cast<int>(png.width);
    image.Height = static_cast<int>(png.height);
    image.Pixels.assign(PNG_IMAGE_SIZE(png), 0);
    if (png_image_finish_read(&png, nullptr, image.Pixels.data(), 0, nullptr) == 0) {
        std::string error = "cannot read " + path + ": " + png.message;
        png_image_free(&png);
        return error;
    }
    return {};
}

} // namespace vessmark
