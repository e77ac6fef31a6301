#pragma once
// The front end's small form layer over raw Win32: window objects with
// message handling, timers on the message loop, painting through one
// PaintContent, windowless elements drawn by their window, geometry in twips
// at the window's real resolution, and a modal show. Window classes follow the
// usual pattern: the static window procedure finds the object through the
// window's user data.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/property_storage.h"
#include "forms/twips.h"

namespace vessmark::forms {

class Timer;
class Windowless;

// A mouse event as forms report it: Button is 1 left, 2 right, 4 middle (for
// a move, the buttons held); Shift is 1 Shift, 2 Ctrl, 4 Alt; X and Y are
// twips from the top-left corner of what received it.
struct MouseEvent {
    int Button = 0;
    int Shift = 0;
    int X = 0;
    int Y = 0;
};
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;

// One window: a top-level form or a child control.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // Creates the window, not yet visible unless the style says so; geometry
    // in pixels. The caption is UTF-8.
    bool Create(const std::string& caption, DWORD style, DWORD exStyle, HWND parent, int x, int y, int width,
                int height);
    HWND Handle() const { return window_; }
    // The form-layer object behind a window of this program, or null for any
    // other window (a system control, another program's).
    static Window* FromHandle(HWND window);

    // The resolution in dots per inch of the form the window stands on: the
    // one it was made at, or the one its last change of monitor gave it; for
    // a window that is no form of ours, the system's answer.
    int Dpi() const;
    // The client area in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Places the window: a child in its parent's client area, a top-level
    // window on the screen; the size is the whole window's. Twips; a child
    // keeps them, and is placed from them again at every change of resolution.
    void Move(const TwipRect& bounds);
    TwipRect Bounds() const;

    // The window's own font, which its controls take as their default.
    const FontDescription& Font() const { return font_; }
    void SetFont(const FontDescription& font) { font_ = font; }

    // Windowless elements (labels, images, shapes) drawn by this window over
    // its content, in the order added (the last on top). They receive the
    // mouse events over them in its place. The window does not own them.
    void AddWindowless(Windowless& element);
    void RemoveWindowless(Windowless& element);
    // Repaints the whole client area (or a part, in pixels) soon.
    void Invalidate(const RECT* area = nullptr);

protected:
    // The window class; every class named here is registered on first use.
    virtual const wchar_t* ClassName() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the client area; serves WM_PAINT and WM_PRINTCLIENT alike. The
    // windowless elements are drawn after it.
    virtual void PaintContent(HDC dc, const RECT& area);
    // The window is being destroyed.
    virtual void OnDestroy() {}
    // The form's resolution changed: a child takes its place from its twips
    // again (which resizes it); anything made for one resolution is made again.
    virtual void OnDpiChanged();
    // The pointer capture of a press was taken away (another window, a menu):
    // the press is over without a release.
    virtual void OnCaptureLost() {}
    // Paints the background; none by default.
    virtual HBRUSH BackgroundBrush() const { return nullptr; }
    // Mouse events over the window itself (not over one of its elements).
    virtual void OnMouseDown(const MouseEvent&) {}
    virtual void OnMouseMove(const MouseEvent&) {}
    virtual void OnMouseUp(const MouseEvent&) {}
    // What the parent shows under this window, for a window with transparent parts.
    void PaintParentBackground(HDC dc) const;

private:
    friend class Timer;
    friend class Form;    // tells its windows of a change of resolution
    friend class Control; // keeps a control's twips
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void PaintAll(HDC dc, const RECT& area);
    void RouteMouse(UINT message, WPARAM wParam, LPARAM lParam);
    Windowless* ElementAt(POINT pixel) const;

    HWND window_ = nullptr;
    // A child's place as last given, twips.
    std::optional<TwipRect> bounds_;
    std::vector<Timer*> timers_;
    std::vector<Windowless*> windowless_;
    FontDescription font_{"MS Shell Dlg 2", 8.25};
    // While the left button is held, its events go to where it went down
    // (an element, or the window itself when null).
    bool leftHeld_ = false;
    Windowless* pressTarget_ = nullptr;
};

// A top-level window. Its resolution is its own: the window's at creation,
// then the one each WM_DPICHANGED carries (Windows reports a move to a monitor
// of another scale that way; the window's own answer may not follow).
class Form : public Window {
public:
    // Creates the window with a client area of the given size in twips at the
    // window's resolution; placed at the screen's top-left corner.
    bool CreateWithClientSize(const std::string& caption, DWORD style, DWORD exStyle, HWND owner, int widthTwips,
                              int heightTwips);

    // Shows the window and runs a message loop until it is gone; the owner
    // (if any) is disabled meanwhile. Tab, Shift+Tab and the arrow keys move
    // the focus between its controls as in a dialog.
    void ShowModal(HWND owner);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class Window;
    // Sizes the window so that its client area has its twips at the current
    // resolution, its top-left corner at (left, top) on the screen.
    void FitClientArea(int left, int top);
    void Rescale(int dpi, const RECT* suggested);

    int dpi_ = 0; // 0 until a client size is given: the window's answer counts then
    int clientWidthTwips_ = 0;
    int clientHeightTwips_ = 0;
};

// A child window on a form (or on another control), placed in twips.
class Control : public Window {
public:
    bool CreateControl(Window& parent, const TwipRect& bounds, DWORD style, const std::string& caption = "",
                       DWORD exStyle = 0);
};

// A timer on a window's message loop; its ticks never overlap any other
// handler of the program.
class Timer {
public:
    Timer(Window& owner, UINT_PTR id, UINT intervalMs, std::function<void()> tick);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(UINT intervalMs);

private:
    friend class Window;
    Window& owner_;
    UINT_PTR id_;
    UINT interval_;
    std::function<void()> tick_;
    bool enabled_ = false;
};

// Runs the message loop until WM_QUIT.
int RunMessageLoop();

// Ends the program at once: no window's handlers run any more.
[[noreturn]] void EndProgram();

// Text for the wide-character functions: UTF-8 (the sources' encoding) by
// default, or the system's ANSI code page (CP_ACP) for paths and MCI texts.
std::wstring Widen(const std::string& text, UINT codePage = CP_UTF8);

// UTF-8 (the program's own text) from the wide-character functions' text.
std::string Utf8(const std::wstring& text);
// A window's text as the wide-character functions give it.
std::wstring WindowText(HWND window);

// The system's resolution in dots per inch.
int SystemDpi();

} // namespace vessmark::forms
