#include "form.h"

#include <algorithm>

namespace vessmark::forms {

namespace {
constexpr wchar_t FormClassName[] = L"VessmarkForm";

ATOM RegisterFormClass(WNDPROC windowProc)
{
    static const ATOM atom = [windowProc] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
        windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        windowClass.lpszClassName = FormClassName;
        return RegisterClassExW(&windowClass);
    }();
    return atom;
}
} // namespace

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

Form::~Form()
{
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool Form::Create(const std::string& caption, DWORD style, DWORD exStyle, HWND parent, int x, int y, int width,
                  int height)
{
    if (RegisterFormClass(WindowProc) == 0) {
        return false;
    }
    window_ = CreateWindowExW(exStyle, FormClassName, Widen(caption).c_str(), style, x, y, width, height, parent,
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

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->window_ = window;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const LRESULT result = form->HandleMessage(message, wParam, lParam);
        form->window_ = nullptr;
        return result;
    }
    return form->HandleMessage(message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
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
        PaintContent(reinterpret_cast<HDC>(wParam), area);
        return 0;
    }
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Form::PaintContent(HDC, const RECT&) {}

void Form::Paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    if (dc != nullptr) {
        PaintContent(dc, paint.rcPaint);
        EndPaint(window_, &paint);
    }
}

void Form::ShowModal(HWND owner)
{
    if (window_ == nullptr) {
        return;
    }
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(window_, SW_SHOW);
    MSG message{};
    while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window_, &message)) {
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

Timer::Timer(Form& owner, UINT_PTR id, UINT intervalMs, std::function<void()> tick)
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
