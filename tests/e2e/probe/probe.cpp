// probe.exe: the Windows-side helper of the end-to-end scenarios. It runs under
// the same Wine as the show and looks at it the way another program on the
// desktop would: finds windows, reads their state, posts and sends messages,
// and makes windows of its own (a long-lived keeper, a stand-in screen saver,
// a window that takes activation away, a recorder of the messages a full-screen
// window receives, a borderless pane for a preview), lists the child windows of
// a window (a message box's controls, a preview inside its pane), reads a
// bitmap resource out of a program file, lists the monitors, and counts what a
// process holds (handles, GDI and USER objects, threads).
//
// Every verb prints "key=value" lines on stdout and exits with 0 on success,
// 1 when the condition it checks does not hold and 2 on a usage error.
// Numbers may be given in decimal or as 0x-prefixed hex; "-" stands for "any"
// where a class or caption is asked for.

#include <windows.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitNo = 1;
constexpr int ExitUsage = 2;

void Out(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout); // the harness reads the file while we run
}

unsigned long long Number(const char* text)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0') {
        std::fprintf(stderr, "probe: not a number: %s\n", text);
        std::exit(ExitUsage);
    }
    return value;
}

HWND Handle(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(Number(text)));
}

const char* OrNull(const char* text)
{
    return std::strcmp(text, "-") == 0 ? nullptr : text;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

// The caption as UTF-8, whatever the system's code page: a message box's
// Japanese text reads the same on every machine. Line breaks are written as
// \r and \n so that a text of several lines stays on its key=value line.
std::string CaptionOf(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, static_cast<int>(sizeof text / sizeof text[0]));
    std::string caption;
    for (const char c : Utf8(text)) {
        if (c == '\r') {
            caption += "\\r";
        } else if (c == '\n') {
            caption += "\\n";
        } else {
            caption += c;
        }
    }
    return caption;
}

unsigned long long HandleNumber(HWND window)
{
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

void PrintWindow(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const auto style = static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_STYLE));
    const auto exStyle = static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    Out("hwnd=0x%llx\n", HandleNumber(window));
    Out("class=%s\n", ClassOf(window).c_str());
    Out("caption=%s\n", CaptionOf(window).c_str());
    Out("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    Out("style=0x%08lx\n", style);
    Out("exstyle=0x%08lx\n", exStyle);
    Out("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    Out("topmost=%d\n", (exStyle & WS_EX_TOPMOST) ? 1 : 0);
    Out("foreground=%d\n", GetForegroundWindow() == window ? 1 : 0);
    Out("pid=%lu\n", pid);
}

// Top-level windows, topmost first.
std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND Find(const char* className, const char* caption)
{
    return FindWindowA(OrNull(className), OrNull(caption));
}

// "found=0", or "found=1" and the window's state: the answer of every verb
// that looks for one window.
int ReportFound(HWND window)
{
    if (window == nullptr) {
        Out("found=0\n");
        return ExitNo;
    }
    Out("found=1\n");
    PrintWindow(window);
    return ExitOk;
}

// find CLASS|- CAPTION|-
int Find(int argc, char** argv)
{
    if (argc != 2) {
        return ExitUsage;
    }
    HWND window = Find(argv[0], argv[1]);
    return ReportFound(window);
}

// wait CLASS|- CAPTION|- TIMEOUT_MS [visible]: polls here rather than in the
// harness, as each start of a Wine program costs time. A window can be found
// while it is still being created, before it is shown: "visible" waits for that.
int Wait(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        return ExitUsage;
    }
    const bool mustBeVisible = argc == 4;
    if (mustBeVisible && std::strcmp(argv[3], "visible") != 0) {
        return ExitUsage;
    }
    const ULONGLONG deadline = GetTickCount64() + Number(argv[2]);
    for (;;) {
        HWND window = Find(argv[0], argv[1]);
        if (window != nullptr && (!mustBeVisible || IsWindowVisible(window))) {
            Out("found=1\n");
            PrintWindow(window);
            return ExitOk;
        }
        if (GetTickCount64() >= deadline) {
            Out("found=0\n");
            return ExitNo;
        }
        Sleep(5);
    }
}

// gone HWND TIMEOUT_MS: waits until the window no longer exists.
int Gone(int argc, char** argv)
{
    if (argc != 2) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    const ULONGLONG deadline = GetTickCount64() + Number(argv[1]);
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline) {
            Out("gone=0\n");
            return ExitNo;
        }
        Sleep(5);
    }
    Out("gone=1\n");
    return ExitOk;
}

// show HWND: the state of one window, or exit 1 when it does not exist.
int Show(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    if (!IsWindow(window)) {
        Out("exists=0\n");
        return ExitNo;
    }
    Out("exists=1\n");
    PrintWindow(window);
    return ExitOk;
}

int Screen(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    Out("width=%d\nheight=%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return ExitOk;
}

int Cursor(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    POINT p{};
    if (!GetCursorPos(&p)) {
        Out("error=%lu\n", GetLastError()); // a looking verb always answers
        return ExitNo;
    }
    Out("x=%ld\ny=%ld\n", p.x, p.y);
    return ExitOk;
}

int Foreground(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    HWND window = GetForegroundWindow();
    return ReportFound(window);
}

// post HWND MSG WPARAM LPARAM
int Post(int argc, char** argv)
{
    if (argc != 4) {
        return ExitUsage;
    }
    const BOOL posted = PostMessageA(Handle(argv[0]), static_cast<UINT>(Number(argv[1])),
                                     static_cast<WPARAM>(Number(argv[2])), static_cast<LPARAM>(Number(argv[3])));
    Out("posted=%d\n", posted ? 1 : 0);
    if (!posted) {
        Out("error=%lu\n", GetLastError());
    }
    return posted ? ExitOk : ExitNo;
}

// send HWND MSG WPARAM LPARAM TIMEOUT_MS: waits for the window procedure's
// answer, so the caller knows the message has been handled.
int Send(int argc, char** argv)
{
    if (argc != 5) {
        return ExitUsage;
    }
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutA(
        Handle(argv[0]), static_cast<UINT>(Number(argv[1])), static_cast<WPARAM>(Number(argv[2])),
        static_cast<LPARAM>(Number(argv[3])), SMTO_ABORTIFHUNG, static_cast<UINT>(Number(argv[4])), &result);
    Out("answered=%d\n", sent ? 1 : 0);
    if (!sent) {
        Out("error=%lu\n", GetLastError());
        return ExitNo;
    }
    Out("result=%llu\n", static_cast<unsigned long long>(result));
    return ExitOk;
}

// sync HWND TIMEOUT_MS: two round trips through the window's message queue.
// Input that reached the window's thread before the first one has been read
// from the queue and handled by the time the second one is answered, so two
// input steps in a row cannot be merged into one (the system merges mouse
// moves that are still waiting in the queue).
int Sync(int argc, char** argv)
{
    if (argc != 2) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    const auto timeout = static_cast<UINT>(Number(argv[1]));
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout, &result)) {
            Out("synced=0\nerror=%lu\n", GetLastError());
            return ExitNo;
        }
    }
    Out("synced=1\n");
    return ExitOk;
}

// --- windows of the probe's own -------------------------------------------

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool Register(const char* className, WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

int RunMessageLoop()
{
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Out("closed=1\n");
    return ExitOk;
}

// create CLASS CAPTION [hidden|X Y W H]: a window that lives until it is closed.
// Hidden, it is the keeper that holds Wine's desktop for the whole test run.
int Create(int argc, char** argv)
{
    if (argc != 2 && argc != 3 && argc != 6) {
        return ExitUsage;
    }
    const bool hidden = argc == 3 && std::strcmp(argv[2], "hidden") == 0;
    if (argc == 3 && !hidden) {
        return ExitUsage;
    }
    int x = 40, y = 40, w = 240, h = 160;
    if (argc == 6) {
        x = static_cast<int>(Number(argv[2]));
        y = static_cast<int>(Number(argv[3]));
        w = static_cast<int>(Number(argv[4]));
        h = static_cast<int>(Number(argv[5]));
    }
    if (!Register(argv[0], PlainWindowProc)) {
        Out("error=register %lu\n", GetLastError());
        return ExitNo;
    }
    const DWORD style = WS_OVERLAPPEDWINDOW | (hidden ? 0 : WS_VISIBLE);
    HWND window = CreateWindowExA(0, argv[0], argv[1], style, x, y, w, h, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        Out("error=create %lu\n", GetLastError());
        return ExitNo;
    }
    if (!hidden) {
        SetForegroundWindow(window);
    }
    PrintWindow(window);
    Out("ready=1\n");
    return RunMessageLoop();
}

// activate: a normal window that makes itself the foreground window, as a
// person switching to another program would; it lives until it is closed.
int Activate(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    const char className[] = "VessmarkProbeActivate";
    if (!Register(className, PlainWindowProc)) {
        return ExitNo;
    }
    HWND window = CreateWindowExA(0, className, "probe activate", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300,
                                  200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        Out("error=create %lu\n", GetLastError());
        return ExitNo;
    }
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);
    PrintWindow(window);
    Out("ready=1\n");
    return RunMessageLoop();
}

// pane X Y W H: a borderless pop-up of the given size, as the display
// settings give a screen saver's preview. It lives until it is destroyed: a
// WM_CLOSE (posted with "post") destroys it, and with it every child window
// in it, whichever process made them.
int Pane(int argc, char** argv)
{
    if (argc != 4) {
        return ExitUsage;
    }
    const char className[] = "VessmarkProbePane";
    if (!Register(className, PlainWindowProc)) {
        return ExitNo;
    }
    HWND window = CreateWindowExA(0, className, "probe pane", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                  static_cast<int>(Number(argv[0])), static_cast<int>(Number(argv[1])),
                                  static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])), nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        Out("error=create %lu\n", GetLastError());
        return ExitNo;
    }
    PrintWindow(window);
    Out("ready=1\n");
    return RunMessageLoop();
}

// message-box CAPTION FLAGS: a message box of the probe's own (for instance
// with an icon, to compare with another program's); prints the answer.
int ShowMessageBox(int argc, char** argv)
{
    if (argc != 2) {
        return ExitUsage;
    }
    const int answer = MessageBoxA(nullptr, "probe", argv[0], static_cast<UINT>(Number(argv[1])));
    Out("answer=%d\n", answer);
    return answer != 0 ? ExitOk : ExitNo;
}

// desktop: the desktop window, the parent of every top-level window.
int Desktop(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    PrintWindow(GetDesktopWindow());
    return ExitOk;
}

// bitmap FILE ID OUT: the bitmap resource ID of the program FILE (loaded as
// data, never run), written to OUT as a binary PPM (P6) that Linux tools read.
int Bitmap(int argc, char** argv)
{
    if (argc != 3) {
        return ExitUsage;
    }
    HMODULE module = LoadLibraryExA(argv[0], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        Out("error=load %lu\n", GetLastError());
        return ExitNo;
    }
    auto* picture = static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(Number(argv[1])), IMAGE_BITMAP, 0, 0,
                                                    LR_CREATEDIBSECTION));
    if (picture == nullptr) {
        Out("found=0\nerror=%lu\n", GetLastError());
        return ExitNo;
    }
    BITMAP info{};
    GetObjectA(picture, sizeof info, &info);
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, picture, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    if (rows != height) {
        Out("error=GetDIBits %d rows of %d\n", rows, height);
        return ExitNo;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        Out("error=cannot write %s\n", argv[2]);
        return ExitNo;
    }
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned char rgb[3] = {pixels[i + 2], pixels[i + 1], pixels[i]}; // stored as B, G, R, unused
        std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
    Out("found=1\nwidth=%d\nheight=%d\nbits=%d\n", width, height, static_cast<int>(info.bmBitsPixel));
    return ExitOk;
}

// watch-new CLASS[,CLASS...] STOPFILE MAX_MS: reports every top-level window of
// one of the classes that appears after the start, until STOPFILE exists or
// MAX_MS have passed. Exit 0 when none appeared.
int WatchNew(int argc, char** argv)
{
    if (argc != 3) {
        return ExitUsage;
    }
    std::set<std::string> classes;
    for (std::string list = argv[0];;) {
        const std::size_t comma = list.find(',');
        classes.insert(list.substr(0, comma));
        if (comma == std::string::npos) {
            break;
        }
        list.erase(0, comma + 1);
    }
    const auto watched = [&](HWND window) { return classes.count(ClassOf(window)) != 0; };
    const char* stopFile = argv[1];
    const ULONGLONG deadline = GetTickCount64() + Number(argv[2]);
    std::set<HWND> known;
    for (HWND window : TopLevelWindows()) {
        if (watched(window)) {
            known.insert(window);
        }
    }
    Out("watching=1\nknown=%zu\n", known.size());
    int seen = 0;
    unsigned long polls = 0;
    while (GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < deadline) {
        for (HWND window : TopLevelWindows()) {
            if (known.count(window) == 0 && watched(window)) {
                known.insert(window);
                ++seen;
                Out("new=0x%llx %s %s\n", HandleNumber(window), ClassOf(window).c_str(), CaptionOf(window).c_str());
            }
        }
        ++polls;
        Sleep(1);
    }
    Out("polls=%lu\nseen=%d\n", polls, seen);
    return seen == 0 ? ExitOk : ExitNo;
}

// children HWND: every window below HWND (children, their children, ...), each
// as "child.N.KEY=VALUE" lines: its parent, class, caption, control id, its
// rectangle in the client area of its parent, style, visibility, process.
// The window's own client rectangle comes first, so that the caller can
// compare a child with the area it should fill.
int Children(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    if (!IsWindow(window)) {
        Out("exists=0\n");
        return ExitNo;
    }
    RECT client{};
    GetClientRect(window, &client);
    Out("exists=1\nclient=%ld,%ld,%ld,%ld\n", client.left, client.top, client.right, client.bottom);
    std::vector<HWND> children;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    Out("count=%zu\n", children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        HWND child = children[i];
        HWND parent = GetAncestor(child, GA_PARENT);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2); // into the parent's client area
        RECT screen{};
        GetWindowRect(child, &screen);
        DWORD pid = 0;
        GetWindowThreadProcessId(child, &pid);
        Out("child.%zu.hwnd=0x%llx\n", i, HandleNumber(child));
        Out("child.%zu.parent=0x%llx\n", i, HandleNumber(parent));
        Out("child.%zu.class=%s\n", i, ClassOf(child).c_str());
        Out("child.%zu.caption=%s\n", i, CaptionOf(child).c_str());
        Out("child.%zu.id=%ld\n", i, static_cast<long>(GetWindowLongPtrW(child, GWLP_ID)));
        Out("child.%zu.rect=%ld,%ld,%ld,%ld\n", i, rect.left, rect.top, rect.right, rect.bottom);
        Out("child.%zu.screen=%ld,%ld,%ld,%ld\n", i, screen.left, screen.top, screen.right, screen.bottom);
        Out("child.%zu.style=0x%08lx\n", i, static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE)));
        Out("child.%zu.exstyle=0x%08lx\n", i, static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_EXSTYLE)));
        Out("child.%zu.visible=%d\n", i, IsWindowVisible(child) ? 1 : 0);
        Out("child.%zu.pid=%lu\n", i, pid);
    }
    return ExitOk;
}

// focus HWND: the window that has the keyboard focus in the thread of HWND
// (another program's focus is not GetFocus's to tell), and its parent.
int Focus(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (thread == 0 || !GetGUIThreadInfo(thread, &info)) {
        Out("error=%lu\n", GetLastError());
        return ExitNo;
    }
    HWND focus = info.hwndFocus;
    Out("active=0x%llx\n", HandleNumber(info.hwndActive));
    if (focus == nullptr) {
        Out("focus=0\n");
        return ExitNo;
    }
    HWND parent = GetAncestor(focus, GA_PARENT);
    Out("focus=0x%llx\nclass=%s\ncaption=%s\nparent=0x%llx\nparent.class=%s\n", HandleNumber(focus),
        ClassOf(focus).c_str(), CaptionOf(focus).c_str(), HandleNumber(parent), ClassOf(parent).c_str());
    return ExitOk;
}

// owned HWND: the top-level windows that HWND owns (its message boxes and
// common dialogs), each as "owned.N.KEY=VALUE" lines.
int Owned(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND owner = Handle(argv[0]);
    std::size_t count = 0;
    for (HWND window : TopLevelWindows()) {
        if (GetWindow(window, GW_OWNER) != owner) {
            continue;
        }
        RECT rect{};
        GetWindowRect(window, &rect);
        Out("owned.%zu.hwnd=0x%llx\n", count, HandleNumber(window));
        Out("owned.%zu.class=%s\n", count, ClassOf(window).c_str());
        Out("owned.%zu.caption=%s\n", count, CaptionOf(window).c_str());
        Out("owned.%zu.rect=%ld,%ld,%ld,%ld\n", count, rect.left, rect.top, rect.right, rect.bottom);
        Out("owned.%zu.visible=%d\n", count, IsWindowVisible(window) ? 1 : 0);
        ++count;
    }
    Out("count=%zu\n", count);
    return count != 0 ? ExitOk : ExitNo;
}

// text HWND: the window's text as the window itself answers WM_GETTEXT (an
// edit box's or a combo box's contents, which GetWindowText cannot read in
// another program), as UTF-8.
int Text(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 10000, &length)) {
        Out("error=%lu\n", GetLastError());
        return ExitNo;
    }
    Out("text=%s\n", Utf8(text).c_str());
    return ExitOk;
}

// items HWND: a combo box's list in its order, each as "item.N=TEXT" (UTF-8);
// the system carries the texts across processes.
int Items(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    HWND box = Handle(argv[0]);
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(box, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 10000, &count) ||
        static_cast<LRESULT>(count) == CB_ERR) {
        Out("error=%lu\n", GetLastError());
        return ExitNo;
    }
    Out("count=%llu\n", static_cast<unsigned long long>(count));
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(box, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 10000, &length) ||
            length >= sizeof text / sizeof text[0] ||
            !SendMessageTimeoutW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000,
                                 &length)) {
            Out("error=%lu\n", GetLastError());
            return ExitNo;
        }
        Out("item.%llu=%s\n", static_cast<unsigned long long>(i), Utf8(text).c_str());
    }
    return ExitOk;
}

// dpi HWND DPI LEFT TOP RIGHT BOTTOM TIMEOUT_MS: WM_DPICHANGED as Windows sends
// it when a window moves onto a monitor of another scale: the resolution in
// both halves of wParam, lParam the suggested window rectangle. The rectangle
// is written into the window's own process, where the pointer must lead.
int DpiChanged(int argc, char** argv)
{
    if (argc != 7) {
        return ExitUsage;
    }
    HWND window = Handle(argv[0]);
    const auto dpi = static_cast<WORD>(Number(argv[1]));
    const RECT rect{static_cast<LONG>(Number(argv[2])), static_cast<LONG>(Number(argv[3])),
                    static_cast<LONG>(Number(argv[4])), static_cast<LONG>(Number(argv[5]))};
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process != nullptr
                       ? VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                       : nullptr;
    if (remote == nullptr || !WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr)) {
        Out("error=%lu\n", GetLastError());
        if (process != nullptr) {
            CloseHandle(process);
        }
        return ExitNo;
    }
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                             reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                             static_cast<UINT>(Number(argv[6])), &result);
    const DWORD error = GetLastError();
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    Out("answered=%d\n", sent ? 1 : 0);
    if (!sent) {
        Out("error=%lu\n", error);
        return ExitNo;
    }
    Out("result=%llu\n", static_cast<unsigned long long>(result));
    return ExitOk;
}

// --- record: a full-screen window like the show's that logs what it receives --

FILE* recordLog = nullptr;
LARGE_INTEGER recordStart{};
LARGE_INTEGER recordFrequency{};

const char* MessageName(UINT message)
{
    switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_ACTIVATEAPP: return "WM_ACTIVATEAPP";
    case WM_ACTIVATE: return "WM_ACTIVATE";
    case WM_NCACTIVATE: return "WM_NCACTIVATE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case WM_MOUSEACTIVATE: return "WM_MOUSEACTIVATE";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_DESTROY: return "WM_DESTROY";
    default: return nullptr;
    }
}

LRESULT CALLBACK RecordWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const char* name = MessageName(message)) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        POINT cursor{};
        GetCursorPos(&cursor);
        std::fprintf(recordLog, "%8.1f ms %s wParam=0x%llx lParam=0x%llx cursor=%ld,%ld\n",
                     static_cast<double>(now.QuadPart - recordStart.QuadPart) * 1000.0 /
                         static_cast<double>(recordFrequency.QuadPart),
                     name, static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam),
                     cursor.x, cursor.y);
        std::fflush(recordLog);
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// record LOGFILE: creates a topmost full-screen pop-up with the show's styles and
// appends every input, activation and close message it receives to LOGFILE.
// It lives until it is closed (e.g. a WM_CLOSE posted by "post").
int Record(int argc, char** argv)
{
    if (argc != 1) {
        return ExitUsage;
    }
    recordLog = std::fopen(argv[0], "w");
    if (recordLog == nullptr) {
        return ExitNo;
    }
    QueryPerformanceFrequency(&recordFrequency);
    QueryPerformanceCounter(&recordStart);
    const char className[] = "VessmarkProbeRecord";
    if (!Register(className, RecordWindowProc)) {
        return ExitNo;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, className, "probe record",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return ExitNo;
    }
    SetForegroundWindow(window);
    PrintWindow(window);
    Out("ready=1\n");
    return RunMessageLoop();
}

// monitors: every monitor as the system lists it, as "monitor.N.KEY=VALUE"
// lines: its rectangle on the virtual screen, its work area, whether it is the
// primary one; then the virtual screen's own rectangle.
int Monitors(int argc, char**)
{
    if (argc != 0) {
        return ExitUsage;
    }
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    Out("count=%zu\n", monitors.size());
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        MONITORINFOEXA info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(monitors[i], &info)) {
            Out("monitor.%zu.error=%lu\n", i, GetLastError());
            continue;
        }
        const RECT& r = info.rcMonitor;
        const RECT& w = info.rcWork;
        Out("monitor.%zu.rect=%ld,%ld,%ld,%ld\n", i, r.left, r.top, r.right, r.bottom);
        Out("monitor.%zu.work=%ld,%ld,%ld,%ld\n", i, w.left, w.top, w.right, w.bottom);
        Out("monitor.%zu.primary=%d\n", i, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
        Out("monitor.%zu.device=%s\n", i, info.szDevice);
    }
    Out("virtual=%d,%d,%d,%d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return ExitOk;
}

// The handles of one process as the system's handle table lists them
// (NtQuerySystemInformation, SystemHandleInformation): Wine answers this from
// its server, while its GetProcessHandleCount always says 0. -1 when the table
// cannot be read.
long HandleTableCount(DWORD pid)
{
    struct HandleEntry { // SYSTEM_HANDLE_TABLE_ENTRY_INFO
        USHORT ProcessId;
        USHORT CreatorBackTraceIndex;
        UCHAR ObjectTypeIndex;
        UCHAR HandleAttributes;
        USHORT HandleValue;
        PVOID Object;
        ULONG GrantedAccess;
    };
    struct HandleTable {
        ULONG Count;
        HandleEntry Entries[1];
    };
    using QueryFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    constexpr int SystemHandleInformation = 16;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == InfoLengthMismatch && buffer.size() < (1u << 28)) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
            continue;
        }
        if (status < 0) {
            return -1;
        }
        break;
    }
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < table->Count; ++i) {
        count += table->Entries[i].ProcessId == static_cast<USHORT>(pid) ? 1 : 0;
    }
    return count;
}

// resources pid PID | resources window CLASS|- CAPTION|-: what a process holds,
// as the system counts it: kernel handles (GetProcessHandleCount, and its
// entries in the system's handle table), GDI and USER objects (now and at
// their peak; with the error code when the system does not count them), and
// threads. A process given by one of its windows is the window's owner.
int Resources(int argc, char** argv)
{
    DWORD pid = 0;
    if (argc == 2 && std::strcmp(argv[0], "pid") == 0) {
        pid = static_cast<DWORD>(Number(argv[1]));
    } else if (argc == 3 && std::strcmp(argv[0], "window") == 0) {
        HWND window = Find(argv[1], argv[2]);
        if (window == nullptr) {
            Out("found=0\n");
            return ExitNo;
        }
        GetWindowThreadProcessId(window, &pid);
    } else {
        return ExitUsage;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        Out("found=0\npid=%lu\nerror=%lu\n", pid, GetLastError());
        return ExitNo;
    }
    Out("found=1\npid=%lu\n", pid);
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles)) {
        Out("handles=%lu\n", handles);
    } else {
        Out("handles=?\nhandles_error=%lu\n", GetLastError());
    }
    Out("handle_table=%ld\n", HandleTableCount(pid));
    const struct {
        const char* Name;
        DWORD Flag;
    } counters[] = {{"gdi", GR_GDIOBJECTS}, {"user", GR_USEROBJECTS}, {"gdi_peak", GR_GDIOBJECTS_PEAK},
                    {"user_peak", GR_USEROBJECTS_PEAK}};
    for (const auto& counter : counters) {
        SetLastError(0);
        const DWORD value = GetGuiResources(process, counter.Flag);
        Out("%s=%lu\n", counter.Name, value);
        if (value == 0 && GetLastError() != 0) {
            Out("%s_error=%lu\n", counter.Name, GetLastError());
        }
    }
    CloseHandle(process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        unsigned threads = 0;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            threads += entry.th32OwnerProcessID == pid ? 1 : 0;
        }
        CloseHandle(snapshot);
        Out("threads=%u\n", threads);
    }
    return ExitOk;
}

struct Verb {
    const char* Name;
    int (*Run)(int argc, char** argv);
    const char* Usage;
};

const Verb Verbs[] = {
    {"find", Find, "find CLASS|- CAPTION|-"},
    {"wait", Wait, "wait CLASS|- CAPTION|- TIMEOUT_MS [visible]"},
    {"gone", Gone, "gone HWND TIMEOUT_MS"},
    {"show", Show, "show HWND"},
    {"screen", Screen, "screen"},
    {"cursor", Cursor, "cursor"},
    {"foreground", Foreground, "foreground"},
    {"post", Post, "post HWND MSG WPARAM LPARAM"},
    {"send", Send, "send HWND MSG WPARAM LPARAM TIMEOUT_MS"},
    {"sync", Sync, "sync HWND TIMEOUT_MS"},
    {"create", Create, "create CLASS CAPTION [hidden | X Y W H]"},
    {"activate", Activate, "activate"},
    {"watch-new", WatchNew, "watch-new CLASS[,CLASS...] STOPFILE MAX_MS"},
    {"children", Children, "children HWND"},
    {"pane", Pane, "pane X Y W H"},
    {"desktop", Desktop, "desktop"},
    {"message-box", ShowMessageBox, "message-box CAPTION FLAGS"},
    {"bitmap", Bitmap, "bitmap FILE ID OUT.ppm"},
    {"record", Record, "record LOGFILE"},
    {"focus", Focus, "focus HWND"},
    {"owned", Owned, "owned HWND"},
    {"text", Text, "text HWND"},
    {"items", Items, "items HWND"},
    {"dpi", DpiChanged, "dpi HWND DPI LEFT TOP RIGHT BOTTOM TIMEOUT_MS"},
    {"monitors", Monitors, "monitors"},
    {"resources", Resources, "resources pid PID | resources window CLASS|- CAPTION|-"},
};

int Usage()
{
    std::fprintf(stderr, "usage:\n");
    for (const Verb& verb : Verbs) {
        std::fprintf(stderr, "  probe %s\n", verb.Usage);
    }
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    // Plain "\n" line ends: the harness reads these files on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        return Usage();
    }
    for (const Verb& verb : Verbs) {
        if (std::strcmp(argv[1], verb.Name) == 0) {
            const int result = verb.Run(argc - 2, argv + 2);
            if (result == ExitUsage) {
                std::fprintf(stderr, "usage: probe %s\n", verb.Usage);
            }
            return result;
        }
    }
    return Usage();
}
