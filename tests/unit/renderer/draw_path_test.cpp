#include "draw_path.h"

#include <gtest/gtest.h>

#include "swap_control.h"

namespace vessmark {
namespace {

TEST(GlVersion, IsReadFromTheStartOfTheVersionText)
{
    const struct {
        const char* Text;
        int Major;
        int Minor;
    } versions[] = {
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 4, 5},
        {"1.1.0", 1, 1},
        {"2.1 Mesa 7.0.4", 2, 1},
        {"3.3.0 NVIDIA 340.108", 3, 3},
        {"10.12", 10, 12},
    };
    for (const auto& v : versions) {
        const auto parsed = ParseGlVersion(v.Text);
        ASSERT_TRUE(parsed) << v.Text;
        EXPECT_EQ(parsed->Major, v.Major) << v.Text;
        EXPECT_EQ(parsed->Minor, v.Minor) << v.Text;
    }
    for (const char* text : {"", "OpenGL ES 3.2 Mesa 22.3.6", "3", "3.", ".3", "x3.3", "-1.1"}) {
        EXPECT_FALSE(ParseGlVersion(text)) << "'" << text << "'";
    }
}

TEST(DrawPath, InstancingWhereTheDriverHasItAndTheOneOneWayEverywhereElse)
{
    const char* const both = "GL_ARB_vertex_buffer_object GL_ARB_instanced_arrays GL_ARB_draw_instanced";
    const struct {
        const char* Version;
        const char* Extensions;
        DrawPathRequest Request;
        DrawPath Path;
        bool Arb;
    } cases[] = {
        {"4.5 (Compatibility Profile) Mesa 22.3.6", "", DrawPathRequest::Auto, DrawPath::Instanced, false},
        {"3.3.0 NVIDIA 340.108", "", DrawPathRequest::Auto, DrawPath::Instanced, false},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", both, DrawPathRequest::Fixed, DrawPath::Fixed, false},
        // Windows' own software OpenGL.
        {"1.1.0", "GL_WIN_swap_hint GL_EXT_bgra GL_EXT_paletted_texture", DrawPathRequest::Auto, DrawPath::Fixed,
         false},
        {"2.1 Mesa 7.0.4", both, DrawPathRequest::Auto, DrawPath::Instanced, true},
        {"3.0 Mesa 10.1", both, DrawPathRequest::Auto, DrawPath::Instanced, true},
        {"2.1 Mesa 7.0.4", "GL_ARB_instanced_arrays", DrawPathRequest::Auto, DrawPath::Fixed, false},
        {"2.1 Mesa 7.0.4", "GL_ARB_instanced_arrays_x GL_ARB_draw_instanced", DrawPathRequest::Auto,
         DrawPath::Fixed, false},
        {"1.5.0", both, DrawPathRequest::Auto, DrawPath::Fixed, false}, // no shaders before 2.0
        {"OpenGL ES 3.2 Mesa 22.3.6", both, DrawPathRequest::Auto, DrawPath::Fixed, false},
        {"", "", DrawPathRequest::Auto, DrawPath::Fixed, false}, // no version at all
    };
    for (const auto& c : cases) {
        const DrawPathChoice choice = ChooseDrawPath(c.Version, c.Extensions, c.Request);
        EXPECT_EQ(choice.Path, c.Path) << c.Version << " / " << c.Extensions;
        EXPECT_EQ(choice.ArbInstancing, c.Arb) << c.Version << " / " << c.Extensions;
    }
}

TEST(DrawPath, TheRequestIsAutoOrFixed)
{
    EXPECT_EQ(ParseDrawPathRequest("auto"), DrawPathRequest::Auto);
    EXPECT_EQ(ParseDrawPathRequest("fixed"), DrawPathRequest::Fixed);
    for (const char* text : {"", "Fixed", "instanced", "fixed ", "1.1"}) {
        EXPECT_FALSE(ParseDrawPathRequest(text)) << "'" << text << "'";
    }
}

TEST(SwapControl, OneRefreshPerFrameByTheCallTheWindowSystemOffers)
{
    const struct {
        const char* Extensions;
        SwapControlCall Call;
    } cases[] = {
        {"WGL_ARB_extensions_string WGL_EXT_swap_control WGL_ARB_pixel_format", SwapControlCall::WglSwapIntervalExt},
        {"WGL_ARB_extensions_string WGL_EXT_swap_control_tear", SwapControlCall::NotOffered},
        // A driver with both GLX calls: the one that names the drawable.
        {"GLX_EXT_visual_info GLX_MESA_swap_control GLX_EXT_swap_control GLX_SGI_swap_control",
         SwapControlCall::GlxSwapIntervalExt},
        {"GLX_ARB_get_proc_address GLX_MESA_swap_control", SwapControlCall::GlxSwapIntervalMesa},
        // Mesa's software GLX on Xvfb offers neither.
        {"GLX_ARB_create_context GLX_EXT_visual_info GLX_MESA_copy_sub_buffer GLX_OML_swap_method",
         SwapControlCall::NotOffered},
        {"GLX_SGI_swap_control", SwapControlCall::NotOffered},
        {"", SwapControlCall::NotOffered},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseSwapControl(c.Extensions), c.Call) << c.Extensions;
    }
}

} // namespace
} // namespace vessmark
