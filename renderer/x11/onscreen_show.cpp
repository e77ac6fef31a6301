#include "onscreen_show.h"

#include <poll.h>

#include <chrono>
#include <memory>

#include "fps_overlay.h"
#include "frame_renderer.h"
#include "frame_report.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "glx_window.h"
#include "screen_input.h"
#include "show_scene.h"
#include "stop_signals.h"
#include "x_connection.h"

namespace vessmark {

namespace {

using SteadyTime = std::chrono::steady_clock;

double SecondsSince(SteadyTime::time_point start)
{
    return std::chrono::duration<double>(SteadyTime::now() - start).count();
}

// Why the loop ended.
enum class Ending {
    Running,        // not yet
    Input,          // the input rules ended the full-screen show
    Signal,         // SIGTERM or SIGINT
    WindowGone,     // the window was destroyed
    FramesDone,     // --frames were drawn
    OutputFailed,   // the frame could not be written
};

// One show on the screen: the display, the window, the scene, the loop.
class ScreenShow {
public:
    ScreenShow(const ShowOptions& options, XConnection& connection, GlxWindow& window, StopSignals& signals)
        : options_(options), connection_(connection), window_(window), signals_(signals),
          input_(XInternAtom(connection.Get(), "WM_PROTOCOLS", False),
                 XInternAtom(connection.Get(), "WM_DELETE_WINDOW", False)),
          clock_(options.StepMilliseconds)
    {
    }

    // Builds the scene; false when the objects cannot be had.
    bool Build(std::ostream& err);

    Ending Run(std::ostream& out, std::ostream& err);

private:
    void HandleEvent(const XEvent& event);
    void WaitForEvents();
    void DrawOneFrame();
    bool WriteOutput(std::ostream& err);

    const ShowOptions& options_;
    XConnection& connection_;
    GlxWindow& window_;
    StopSignals& signals_;
    ScreenInput input_;
    ShowClock clock_;
    std::unique_ptr<Scene> scene_ = std::make_unique<Scene>();
    std::uint32_t seed_ = 0;
    FpsCounter fps_;
    int framesDrawn_ = 0;
    bool focusTaken_ = false;
    Ending ending_ = Ending::Running;
};

bool ScreenShow::Build(std::ostream& err)
{
    seed_ = PrepareShowScene(*scene_, options_);
    clock_.Bind(*scene_);
    if (window_.Own()) {
        // The reference for the mouse-move rule is where the pointer is as
        // the window is made.
        Window root = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned mask = 0;
        XQueryPointer(connection_.Get(), window_.Id(), &root, &child, &x, &y, &windowX, &windowY, &mask);
        input_.Start({x, y});
    }
    if (!BuildScene(*scene_, window_.Width(), window_.Height(), GlxWindow::Loader(), options_.DrawPath)) {
        err << "vessmark-show: " << NotEnoughMemoryText(*scene_) << "\n";
        return false;
    }
    WarmUpScene(*scene_, clock_, options_);
    if (window_.Own()) {
        XMapRaised(connection_.Get(), window_.Id());
    }
    return true;
}

void ScreenShow::HandleEvent(const XEvent& event)
{
    if (event.xany.window != window_.Id()) {
        return;
    }
    switch (event.type) {
    case ConfigureNotify:
        // The hack follows the window's size; the show's own window keeps
        // the screen's.
        if (event.xconfigure.width != window_.Width() || event.xconfigure.height != window_.Height()) {
            window_.SetSize(event.xconfigure.width, event.xconfigure.height);
            SizeScene(*scene_, window_.Width(), window_.Height());
        }
        return;
    case MapNotify:
        window_.SetViewable(true);
        if (window_.Own() && !focusTaken_) {
            // The keyboard comes to the show, as the foreground window's on
            // Windows; losing it later ends the show.
            XSetInputFocus(connection_.Get(), window_.Id(), RevertToParent, CurrentTime);
            focusTaken_ = true;
        }
        return;
    case UnmapNotify:
        window_.SetViewable(false);
        return;
    case DestroyNotify:
        window_.MarkDestroyed();
        ending_ = Ending::WindowGone;
        return;
    default:
        break;
    }
    if (window_.Own() && input_.EndsShow(event)) {
        ending_ = Ending::Input;
    }
}

// Nothing to draw (the window is not on the screen, or has no area): sleep
// until the display or a signal has something to say.
void ScreenShow::WaitForEvents()
{
    Display* display = connection_.Get();
    XFlush(display);
    if (XPending(display) > 0) {
        return;
    }
    pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0}, {signals_.WakeDescriptor(), POLLIN, 0}};
    poll(watched, 2, -1);
}

void ScreenShow::DrawOneFrame()
{
    clock_.StartFrame(options_.WarmUpFrames + framesDrawn_);
    DrawFrame(*scene_);
    if (options_.Fps) {
        DrawFpsText(fps_.Text(), window_.Width(), window_.Height());
    }
}

bool ScreenShow::WriteOutput(std::ostream& err)
{
    // The frame is still in the back buffer, whatever covers the window.
    const std::string failed = WritePng(options_.Output, ReadCurrentPicture(window_.Width(), window_.Height()));
    if (!failed.empty()) {
        err << "vessmark-show: " << failed << "\n";
        return false;
    }
    return true;
}

Ending ScreenShow::Run(std::ostream& out, std::ostream& err)
{
    input_.ReportTo(err);
    Display* display = connection_.Get();
    SteadyTime::time_point start; // when the first frame was drawn
    while (ending_ == Ending::Running) {
        while (ending_ == Ending::Running && XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            HandleEvent(event);
        }
        if (signals_.Raised()) {
            ending_ = Ending::Signal;
        }
        if (ending_ != Ending::Running) {
            break;
        }
        if (!window_.Viewable() || !scene_->Sized) {
            WaitForEvents();
            continue;
        }
        if (framesDrawn_ == 0) {
            start = SteadyTime::now();
        }
        DrawOneFrame();
        const bool last = options_.Frames && framesDrawn_ + 1 == *options_.Frames;
        if (last && !options_.Output.empty() && !WriteOutput(err)) {
            ending_ = Ending::OutputFailed;
            break;
        }
        window_.Swap(); // the swap sends the frame on: no flush of its own
        ++framesDrawn_;
        if (options_.Fps) {
            fps_.Frame(SecondsSince(start));
        }
        if (last) {
            glFinish();
            out << FrameRateSummary(static_cast<std::uint64_t>(framesDrawn_), window_.Width(), window_.Height(),
                                    SecondsSince(start), ShowDetails(seed_, scene_->Path))
                << "\n";
            ending_ = Ending::FramesDone;
        }
    }
    return ending_;
}

} // namespace

int RunOnscreenShow(const ShowOptions& options, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto signals = StopSignals::Install(error);
    if (!signals) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }
    const auto connection = XConnection::Open(error);
    if (!connection) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }
    std::unique_ptr<GlxWindow> window;
    switch (options.Mode) {
    case ShowMode::FullScreen:
        window = GlxWindow::CreateFullScreen(*connection, error);
        break;
    case ShowMode::Root:
        window = GlxWindow::Attach(*connection, DefaultRootWindow(connection->Get()), error);
        break;
    case ShowMode::Window:
        window = GlxWindow::Attach(*connection, options.WindowId, error);
        if (!window && options.WindowFromEnvironment) {
            error += " (named by " + std::string(ScreensaverWindowVariable) + ")";
        }
        break;
    case ShowMode::Offscreen:
    case ShowMode::AddToXScreenSaver:
        error = "this mode draws no window";
        break;
    }
    if (!window) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }

    ScreenShow show(options, *connection, *window, *signals);
    if (!show.Build(err)) {
        return ShowExitNoMemory;
    }
    const Ending ending = show.Run(out, err);
    window->Release();
    return ending == Ending::OutputFailed ? ShowExitFailed : ShowExitDone;
}

} // namespace vessmark
