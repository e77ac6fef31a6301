#pragma once
// Which way the spheres are drawn, chosen from what the driver says it can
// do. Both ways draw the same picture.
//
// - Instanced: the sphere once in buffers on the driver's side, every
//   object's placement and colour handed over once a frame, and all spheres
//   drawn by one call, lit by a small vertex shader exactly as the fixed
//   functions light them. Needs OpenGL 3.3, or 2.0 with the two instancing
//   extensions.
// - Fixed: OpenGL 1.1 alone (Windows' own software OpenGL is no more): the
//   sphere in a display list, one matrix load per object.

#include <optional>
#include <string_view>

namespace vessmark {

enum class DrawPath {
    Fixed,
    Instanced,
};

// What the person running the show asked for: the choice by the driver, or
// the 1.1 way whatever the driver can do (to test it where newer drivers are
// all there is).
enum class DrawPathRequest {
    Auto,
    Fixed,
};

// The environment variable that forces the 1.1 way on both hosts: "fixed";
// "auto" (or nothing) leaves the choice to the driver.
inline constexpr char DrawPathVariable[] = "VESSMARK_DRAW_PATH";

struct GlVersion {
    int Major = 0;
    int Minor = 0;
};

// The version at the start of GL_VERSION ("4.5 (Compatibility Profile) Mesa
// 22.3.6", "1.1.0"), or nothing when the text does not begin with one
// (OpenGL ES says "OpenGL ES 3.2 ...": not the desktop OpenGL drawn with).
std::optional<GlVersion> ParseGlVersion(std::string_view text);

struct DrawPathChoice {
    DrawPath Path = DrawPath::Fixed;
    // The instancing calls go by their extensions' names (ending in ARB): a
    // driver older than 3.3 that offers them only as extensions.
    bool ArbInstancing = false;
};

// The way to draw for a driver with this GL_VERSION and GL_EXTENSIONS.
DrawPathChoice ChooseDrawPath(std::string_view version, std::string_view extensions, DrawPathRequest request);

// "auto" or "fixed"; nothing for anything else.
std::optional<DrawPathRequest> ParseDrawPathRequest(std::string_view text);

// "instanced" or "fixed", for reports.
const char* DrawPathName(DrawPath path);

} // namespace vessmark
