#include "show_window.h"

#include <mmsystem.h>

#include "platform_ports.h"

namespace vessmark {

namespace {
constexpr UINT_PTR Timer1Id = 1;
constexpr UINT_PTR Timer2Id = 2;
constexpr UINT_PTR Timer3Id = 3;
// How long the program waits after stopping the music before it ends. On a
// busy machine under Wine, 34 of 320 programs that ended at once after
// PlaySound(NULL) were killed by SIGSEGV; after 30 ms or 100 ms, none of 120.
constexpr DWORD MusicWindDownMs = 200;

} // namespace

Win32ShowPlatform::~Win32ShowPlatform()
{
    if (process_ != nullptr) {
        CloseHandle(process_);
    }
}

bool Win32ShowPlatform::StartRenderer(const std::string& path, std::string& reason)
{
    // The full path as the application and again, quoted, as the command line:
    // a folder with blanks can never start some other program. Wide, so that
    // a folder of any name works whatever the system's code page.
    const std::wstring application = forms::Widen(path);
    std::wstring commandLine = L"\"" + application + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        reason = forms::Utf8(SystemErrorText(GetLastError(), application));
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    return true;
}

bool Win32ShowPlatform::RendererEnded()
{
    return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

bool Win32ShowPlatform::RendererWindowExists()
{
    return FindWindowA(nullptr, RendererCaption) != nullptr;
}

void Win32ShowPlatform::ShowCursor()
{
    ::ShowCursor(TRUE);
}

void ShowApplicationMessage(const std::string& text)
{
    MessageBoxW(nullptr, forms::Widen(text).c_str(), forms::Widen(ApplicationTitle).c_str(), MB_OK);
}

void Win32ShowPlatform::ShowMessage(const std::string& text)
{
    ShowApplicationMessage(text);
}

std::uint32_t Win32ShowPlatform::NowMs()
{
    return timeGetTime();
}

ShowWindow::ShowWindow(FrontEndState& state, BackgroundMusic& music, char switchLetter)
    : runner_(state, music, platform_, switchLetter),
      timer1_(*this, Timer1Id, Timer1Interval, [this] {
          runner_.Timer1Tick();
          SyncTimers();
      }),
      timer2_(*this, Timer2Id, Timer2Interval, [this] {
          runner_.Timer2Tick();
          SyncTimers();
      }),
      timer3_(*this, Timer3Id, Timer3Interval, [this] {
          if (runner_.Timer3Tick()) {
              SyncTimers();
              Unload();
          }
      })
{
}

bool ShowWindow::Load(const std::string& programFolderUtf8)
{
    // An ordinary top-level window that is never shown: other instances find
    // it by its caption.
    if (!Create(ShowWindowCaption, WS_OVERLAPPEDWINDOW, 0, nullptr, 0, 0, 0, 0)) {
        return false;
    }
    const bool started = runner_.FormLoad(programFolderUtf8);
    SyncTimers();
    return started;
}

void ShowWindow::SyncTimers()
{
    timer1_.SetEnabled(runner_.Timer1Enabled);
    timer2_.SetEnabled(runner_.Timer2Enabled);
    timer3_.SetEnabled(runner_.Timer3Enabled);
}

void ShowWindow::Unload()
{
    runner_.FormQueryUnload();
    if (runner_.MusicStarted()) {
        // The music is silent once the stop returns, but the sound system's
        // threads are still winding down, and under Wine a process that ends
        // in that moment is sometimes killed instead of ending with 0.
        // Nobody sees this pause: the show's window is already gone.
        Sleep(MusicWindDownMs);
    }
    forms::EndProgram();
}

LRESULT ShowWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Whoever asks the window to close (the watch, the system at log-off), the
    // request is never refused and the show ends the same way.
    if (message == WM_CLOSE || (message == WM_QUERYENDSESSION)) {
        Unload();
    }
    return Form::HandleMessage(message, wParam, lParam);
}

} // namespace vessmark
