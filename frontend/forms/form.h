#pragma once
// The front end's small form layer over raw Win32: a window object with
// message handling, timers on the message loop, painting through one
// PaintContent, and a modal show. Windows classes follow the usual pattern:
// the static window procedure finds the object through the window's user data.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vessmark::forms {

class Timer;

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window, not yet visible. The caption is UTF-8.
    bool Create(const std::string& caption, DWORD style, DWORD exStyle, HWND parent, int x, int y, int width,
                int height);
    HWND Handle() const { return window_; }

    // Shows the window and runs a message loop until it is gone; the owner
    // (if any) is disabled meanwhile.
    void ShowModal(HWND owner);

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the client area; serves WM_PAINT and WM_PRINTCLIENT alike.
    virtual void PaintContent(HDC dc, const RECT& area);
    // The window is being destroyed.
    virtual void OnDestroy() {}
    // Paints the background; none by default.
    virtual HBRUSH BackgroundBrush() const { return nullptr; }

private:
    friend class Timer;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND window_ = nullptr;
    std::vector<Timer*> timers_;
};

// A timer on the form's message loop; its ticks never overlap any other
// handler of the program.
class Timer {
public:
    Timer(Form& owner, UINT_PTR id, UINT intervalMs, std::function<void()> tick);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

private:
    friend class Form;
    Form& owner_;
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

} // namespace vessmark::forms
