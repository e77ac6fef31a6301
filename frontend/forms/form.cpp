#include "form.h"

#include <windowsx.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

#include <algorithm>
#include <set>

#include "forms/windowless.h"

namespace vessmark::forms {

namespace {
constexpr wchar_t FormClassName[] = L"VessmarkForm";

bool RegisterWindowClass(const wchar_t* className, WNDPROC windowProc)
{
    static std::set<std::wstring> registered;
    if (registered.count(className) != 0) {
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // No CS_DBLCLKS: every press is a press, however quickly it follows the last.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    if (std::wstring(className) == FormClassName) {
        windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    }
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registered.insert(className);
    return true;
}

// GetDpiForWindow exists from Windows 10 (1607) on; older systems have one
// resolution for everything.
int WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int ShiftState(WPARAM wParam)
{
    return ((wParam & MK_SHIFT) != 0 ? 1 : 0) | ((wParam & MK_CONTROL) != 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

int HeldButtons(WPARAM wParam)
{
    return ((wParam & MK_LBUTTON) != 0 ? LeftButton : 0) | ((wParam & MK_RBUTTON) != 0 ? RightButton : 0) |
           ((wParam & MK_MBUTTON) != 0 ? MiddleButton : 0);
}
} // namespace

int SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : StandardDpi;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : StandardDpi;
}

std::wstring Widen(const std::string& text, UINT codePage)
{
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// --- Window ---------------------------------------------------------------------

Window::~Window()
{
    for (Windowless* element : windowless_) {
        element->owner_ = nullptr;
    }
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

const wchar_t* Window::ClassName() const
{
    return FormClassName;
}

bool Window::Create(const std::string& caption, DWORD style, DWORD exStyle, HWND parent, int x, int y, int width,
                    int height)
{
    const wchar_t* className = ClassName();
    if (!RegisterWindowClass(className, WindowProc)) {
        return false;
    }
    window_ = CreateWindowExW(exStyle, className, Widen(caption).c_str(), style, x, y, width, height, parent,
                              nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return false;
    }
    for (Timer* timer : timers_) {
        if (timer->enabled_) {
            SetTimer(window_, timer->id_, timer->interval_, nullptr); // enabled before the window existed
        }
    }
    return true;
}

Window* Window::FromHandle(HWND window)
{
    // Only windows that run the form layer's procedure keep an object in
    // their user data; a system control may keep anything there.
    if (window == nullptr ||
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &Window::WindowProc) {
        return nullptr;
    }
    return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int Window::Dpi() const
{
    if (window_ != nullptr) {
        const auto* form = dynamic_cast<const Form*>(FromHandle(GetAncestor(window_, GA_ROOT)));
        if (form != nullptr && form->dpi_ > 0) {
            return form->dpi_;
        }
    }
    return WindowDpi(window_);
}

int Window::ScaleWidth() const
{
    RECT client{};
    GetClientRect(window_, &client);
    return PixelsToTwips(client.right, Dpi());
}

int Window::ScaleHeight() const
{
    RECT client{};
    GetClientRect(window_, &client);
    return PixelsToTwips(client.bottom, Dpi());
}

void Window::Move(const TwipRect& bounds)
{
    if (window_ == nullptr) {
        return;
    }
    if ((GetWindowLongW(window_, GWL_STYLE) & WS_CHILD) != 0) {
        bounds_ = bounds;
    }
    const PixelRect pixels = ControlPixels(bounds, Dpi());
    MoveWindow(window_, pixels.Left, pixels.Top, pixels.Width, pixels.Height, TRUE);
}

void Window::OnDpiChanged()
{
    if (bounds_) {
        Move(*bounds_);
    }
}

TwipRect Window::Bounds() const
{
    RECT rect{};
    GetWindowRect(window_, &rect);
    if (HWND parent = GetParent(window_); parent != nullptr && (GetWindowLongW(window_, GWL_STYLE) & WS_CHILD) != 0) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    const int dpi = Dpi();
    return {PixelsToTwips(rect.left, dpi), PixelsToTwips(rect.top, dpi), PixelsToTwips(rect.right - rect.left, dpi),
            PixelsToTwips(rect.bottom - rect.top, dpi)};
}

void Window::AddWindowless(Windowless& element)
{
    if (element.owner_ != nullptr) {
        element.owner_->RemoveWindowless(element);
    }
    windowless_.push_back(&element);
    element.owner_ = this;
    element.Refresh();
}

void Window::RemoveWindowless(Windowless& element)
{
    element.Refresh();
    windowless_.erase(std::remove(windowless_.begin(), windowless_.end(), &element), windowless_.end());
    element.owner_ = nullptr;
    if (pressTarget_ == &element) {
        pressTarget_ = nullptr;
    }
}

void Window::Invalidate(const RECT* area)
{
    if (window_ != nullptr) {
        InvalidateRect(window_, area, FALSE);
    }
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const LRESULT result = self->HandleMessage(message, wParam, lParam);
        self->window_ = nullptr;
        return result;
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER: {
        const auto timer = std::find_if(timers_.begin(), timers_.end(),
                                        [&](const Timer* t) { return t->id_ == wParam; });
        if (timer != timers_.end() && (*timer)->enabled_) {
            (*timer)->tick_();
        }
        return 0;
    }
    case WM_ERASEBKGND:
        if (HBRUSH brush = BackgroundBrush()) {
            RECT area{};
            GetClientRect(window_, &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
            return 1;
        }
        if (!windowless_.empty()) {
            return 1; // painted whole, off-screen, in WM_PAINT
        }
        break;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT: {
        RECT area{};
        GetClientRect(window_, &area);
        if (HBRUSH brush = BackgroundBrush()) {
            FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
        }
        PaintAll(reinterpret_cast<HDC>(wParam), area);
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        RouteMouse(message, wParam, lParam);
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window_) {
            // Taken away (a menu, another program): the press is over.
            const bool pressed = leftHeld_;
            leftHeld_ = false;
            pressTarget_ = nullptr;
            if (pressed) {
                OnCaptureLost();
            }
        }
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Window::PaintContent(HDC, const RECT&) {}

void Window::PaintAll(HDC dc, const RECT& area)
{
    PaintContent(dc, area);
    const int dpi = Dpi();
    for (Windowless* element : windowless_) {
        if (element->Visible()) {
            element->Paint(dc, dpi);
        }
    }
}

void Window::Paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    if (dc == nullptr) {
        return;
    }
    if (windowless_.empty()) {
        PaintContent(dc, paint.rcPaint);
        EndPaint(window_, &paint);
        return;
    }
    // Content and elements are put together off-screen and shown in one
    // copy, so an element never flickers over what is under it.
    RECT client{};
    GetClientRect(window_, &client);
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = buffer != nullptr ? CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1),
                                                                std::max<LONG>(client.bottom, 1))
                                       : nullptr;
    if (bitmap == nullptr) {
        if (buffer != nullptr) {
            DeleteDC(buffer);
        }
        PaintAll(dc, paint.rcPaint);
        EndPaint(window_, &paint);
        return;
    }
    HGDIOBJ old = SelectObject(buffer, bitmap);
    if (HBRUSH brush = BackgroundBrush()) {
        FillRect(buffer, &client, brush);
    }
    PaintAll(buffer, client);
    const RECT& r = paint.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer, r.left, r.top, SRCCOPY);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    EndPaint(window_, &paint);
}

void Window::PaintParentBackground(HDC dc) const
{
    HWND parent = GetParent(window_);
    if (parent == nullptr) {
        return;
    }
    POINT origin{0, 0};
    MapWindowPoints(window_, parent, &origin, 1);
    POINT old{};
    OffsetWindowOrgEx(dc, origin.x, origin.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

Windowless* Window::ElementAt(POINT pixel) const
{
    const int dpi = Dpi();
    for (auto element = windowless_.rbegin(); element != windowless_.rend(); ++element) {
        if ((*element)->Visible() && (*element)->Enabled() && (*element)->Contains(pixel, dpi)) {
            return *element;
        }
    }
    return nullptr;
}

void Window::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT pixel{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Windowless* target = leftHeld_ ? pressTarget_ : ElementAt(pixel);
    int button = 0;
    enum { Down, Move, Up } kind = Move;
    switch (message) {
    case WM_LBUTTONDOWN:
        kind = Down;
        button = LeftButton;
        // A push holds the pointer, as Windows' own buttons do: the release
        // comes back here even off the window.
        leftHeld_ = true;
        pressTarget_ = target;
        SetCapture(window_);
        break;
    case WM_LBUTTONUP:
        kind = Up;
        button = LeftButton;
        if (leftHeld_) {
            leftHeld_ = false;
            pressTarget_ = nullptr;
            ReleaseCapture(); // before the handlers: one may open a modal dialog
        }
        break;
    case WM_RBUTTONDOWN:
        kind = Down;
        button = RightButton;
        break;
    case WM_RBUTTONUP:
        kind = Up;
        button = RightButton;
        break;
    case WM_MBUTTONDOWN:
        kind = Down;
        button = MiddleButton;
        break;
    case WM_MBUTTONUP:
        kind = Up;
        button = MiddleButton;
        break;
    default:
        button = HeldButtons(wParam);
        break;
    }
    const int dpi = Dpi();
    MouseEvent event{button, ShiftState(wParam), PixelsToTwips(pixel.x, dpi), PixelsToTwips(pixel.y, dpi)};
    if (target != nullptr) {
        const TwipRect& bounds = target->Bounds();
        event.X -= bounds.Left;
        event.Y -= bounds.Top;
        const auto& handler = kind == Down ? target->MouseDown : kind == Up ? target->MouseUp : target->MouseMove;
        if (handler) {
            handler(event);
        }
        return;
    }
    if (kind == Down) {
        OnMouseDown(event);
    } else if (kind == Up) {
        OnMouseUp(event);
    } else {
        OnMouseMove(event);
    }
}

// --- Form -----------------------------------------------------------------------

bool Form::CreateWithClientSize(const std::string& caption, DWORD style, DWORD exStyle, HWND owner, int widthTwips,
                                int heightTwips)
{
    clientWidthTwips_ = widthTwips;
    clientHeightTwips_ = heightTwips;
    // Made at the system's resolution as a first guess; the window's own,
    // which differs on a monitor of another scale, decides the size.
    const int system = SystemDpi();
    RECT rect{0, 0, TwipsToPixels(widthTwips, system), TwipsToPixels(heightTwips, system)};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    if (!Create(caption, style, exStyle, owner, 0, 0, rect.right - rect.left, rect.bottom - rect.top)) {
        return false;
    }
    dpi_ = CreationDpi(WindowDpi(Handle()), system);
    FitClientArea(0, 0);
    return true;
}

void Form::FitClientArea(int left, int top)
{
    // The frame around the client area is measured, not computed: it is what
    // the system draws now. A second pass corrects a frame that changed with
    // the size.
    for (int pass = 0; pass < 2; ++pass) {
        RECT window{};
        RECT client{};
        GetWindowRect(Handle(), &window);
        GetClientRect(Handle(), &client);
        const PixelSize now{window.right - window.left, window.bottom - window.top};
        const PixelSize size = WindowSizeFor(clientWidthTwips_, clientHeightTwips_, dpi_,
                                             {now.Width - client.right, now.Height - client.bottom});
        if (size == now && window.left == left && window.top == top) {
            return;
        }
        SetWindowPos(Handle(), nullptr, left, top, size.Width, size.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only a form made with a client size knows what to keep at a new scale.
    if (message == WM_DPICHANGED && dpi_ > 0) {
        Rescale(DpiCarried(wParam, dpi_), reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void Form::Rescale(int dpi, const RECT* suggested)
{
    dpi_ = dpi;
    // Where Windows suggests; the size is the form's own, so that its client
    // area keeps its twips exactly.
    RECT now{};
    GetWindowRect(Handle(), &now);
    FitClientArea(suggested != nullptr ? suggested->left : now.left, suggested != nullptr ? suggested->top : now.top);
    std::vector<Window*> children;
    EnumChildWindows(
        Handle(),
        [](HWND child, LPARAM list) -> BOOL {
            if (Window* window = FromHandle(child)) {
                reinterpret_cast<std::vector<Window*>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    for (Window* child : children) {
        child->OnDpiChanged();
    }
    OnDpiChanged();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Form::ShowModal(HWND owner)
{
    if (Handle() == nullptr) {
        return;
    }
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(Handle(), SW_SHOW);
    MSG message{};
    // An Alt release after Alt was held with another key is no menu key, as
    // on Windows. Wine takes it for one when a control handled that key
    // itself (the combo box's Alt+Down), and its menu mode then takes the keys
    // meant for the control: such a release goes no further.
    // (Wine names the key VK_LMENU or VK_RMENU, and may report its release
    // as WM_KEYUP.)
    bool altWithKey = false;
    while (Handle() != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool alt = message.wParam == VK_MENU || message.wParam == VK_LMENU || message.wParam == VK_RMENU;
        const bool repeat = (message.lParam & (1 << 30)) != 0;
        if (message.message == WM_SYSKEYDOWN || message.message == WM_KEYDOWN) {
            if (!alt) {
                altWithKey = altWithKey || message.message == WM_SYSKEYDOWN;
            } else if (!repeat) {
                altWithKey = false;
            }
        } else if ((message.message == WM_SYSKEYUP || message.message == WM_KEYUP) && alt && altWithKey) {
            altWithKey = false;
            continue;
        }
        if (!IsDialogMessageW(Handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam)); // for the outer loop
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
}

// --- Control --------------------------------------------------------------------

bool Control::CreateControl(Window& parent, const TwipRect& bounds, DWORD style, const std::string& caption,
                            DWORD exStyle)
{
    bounds_ = bounds;
    const PixelRect pixels = ControlPixels(bounds, parent.Dpi());
    return Create(caption, style | WS_CHILD, exStyle, parent.Handle(), pixels.Left, pixels.Top, pixels.Width,
                  pixels.Height);
}

// --- Timer ----------------------------------------------------------------------

Timer::Timer(Window& owner, UINT_PTR id, UINT intervalMs, std::function<void()> tick)
    : owner_(owner), id_(id), interval_(intervalMs), tick_(std::move(tick))
{
    owner_.timers_.push_back(this);
}

Timer::~Timer()
{
    SetEnabled(false);
    owner_.timers_.erase(std::remove(owner_.timers_.begin(), owner_.timers_.end(), this), owner_.timers_.end());
}

void Timer::SetEnabled(bool enabled)
{
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (owner_.window_ == nullptr) {
        return;
    }
    if (enabled) {
        SetTimer(owner_.window_, id_, interval_, nullptr);
    } else {
        KillTimer(owner_.window_, id_);
    }
}

void Timer::SetInterval(UINT intervalMs)
{
    interval_ = intervalMs;
    if (enabled_ && owner_.window_ != nullptr) {
        SetTimer(owner_.window_, id_, interval_, nullptr); // restarts the count
    }
}

int RunMessageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void EndProgram()
{
    ExitProcess(0);
}

} // namespace vessmark::forms
