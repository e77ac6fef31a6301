#pragma once
// The hidden show window. Its caption marks a running show for other
// instances; its timers drive the music and the watch on the renderer.

#include <windows.h>

#include <string>

#include "forms/form.h"
#include "show_runner.h"
#include "start_up.h"

namespace vessmark {

// A message box with the application title and an OK button, no owner, no
// icon; returns when it is closed. The text is UTF-8.
void ShowApplicationMessage(const std::string& text);

// The renderer as a process of its own, found again through its caption.
class Win32ShowPlatform final : public ShowPlatform {
public:
    ~Win32ShowPlatform() override;
    bool StartRenderer(const std::string& path, std::string& reason) override;
    bool RendererEnded() override;
    bool RendererWindowExists() override;
    void ShowCursor() override;
    void ShowMessage(const std::string& text) override;
    std::uint32_t NowMs() override;

private:
    HANDLE process_ = nullptr;
};

class ShowWindow final : public forms::Form {
public:
    ShowWindow(FrontEndState& state, BackgroundMusic& music, char switchLetter);

    // Creates the hidden window, starts the renderer and the music, and starts
    // watching. The program then runs on its message loop until the show ends.
    // False when there is no show to run; the program ends then.
    bool Load(const std::string& programFolderUtf8);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SyncTimers();
    [[noreturn]] void Unload();

    Win32ShowPlatform platform_;
    ShowRunner runner_;
    forms::Timer timer1_;
    forms::Timer timer2_;
    forms::Timer timer3_;
};

} // namespace vessmark
