#pragma once
// An OpenGL context that draws into memory, with no display: an EGL pbuffer on
// Mesa's surfaceless platform. The context is current from creation to
// destruction.

#include <memory>
#include <string>

#include "gl_loader.h"
#include "png_file.h"

namespace vessmark {

class OffscreenSurface {
public:
    // A width x height RGB surface with a depth buffer, current on this
    // thread, or nothing with the reason in `error`.
    static std::unique_ptr<OffscreenSurface> Create(int width, int height, std::string& error);

    OffscreenSurface(const OffscreenSurface&) = delete;
    OffscreenSurface& operator=(const OffscreenSurface&) = delete;
    ~OffscreenSurface();

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Waits for the drawing to finish and reads the picture back.
    RgbImage ReadPicture() const;

    // The lookup of OpenGL functions for this surface's context.
    static GlFunctionLoader Loader();

private:
    OffscreenSurface() = default;

    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace vessmark
