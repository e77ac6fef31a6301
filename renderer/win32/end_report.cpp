// The line that says why the show ended, or that a close request was
// ignored, written where Windows programs write such things: the debug
// output (a debug-output viewer shows it; Wine prints it with
// WINEDEBUG=+debugstr). It is written once a close request has been judged,
// so it costs nothing while the show runs.

#include "saver_host.h"

#include <cstdio>
#include <string>

namespace vessmark {

namespace {

std::string Utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back(); // the terminating zero
    // One line: a caption may hold line breaks.
    for (char& c : bytes) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return bytes;
}

std::string HexText(std::uintptr_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// The program's file name of a process, or nothing.
std::string ProcessName(DWORD processId)
{
    std::string name;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &length)) {
            const wchar_t* file = path;
            for (const wchar_t* p = path; *p != L'\0'; ++p) {
                if (*p == L'\\' || *p == L'/') {
                    file = p + 1;
                }
            }
            name = Utf8(file);
        }
        CloseHandle(process);
    }
    return name;
}

// The window and program that took the activation, as far as this process
// may look: the thread that WM_ACTIVATEAPP names (Wine names none), else
// the foreground window's.
std::string DescribeActivation(DWORD threadId)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND window = threadId != 0 && GetGUIThreadInfo(threadId, &info) ? info.hwndActive : nullptr;
    if (window == nullptr) {
        window = GetForegroundWindow();
    }
    DWORD processId = 0;
    if (window != nullptr) {
        GetWindowThreadProcessId(window, &processId);
    } else if (HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId)) {
        processId = GetProcessIdOfThread(thread);
        CloseHandle(thread);
    }
    std::string text;
    if (processId != 0) {
        text.append("process ").append(std::to_string(processId));
        const std::string name = ProcessName(processId);
        if (!name.empty()) {
            text.append(" ").append(name);
        }
    }
    if (window != nullptr) {
        wchar_t caption[128] = {};
        wchar_t className[128] = {};
        GetWindowTextW(window, caption, 128);
        GetClassNameW(window, className, 128);
        text.append(text.empty() ? "window " : ", window ").append(HexText(reinterpret_cast<std::uintptr_t>(window)));
        text.append(" of class ").append(Utf8(className));
        text.append(" \"").append(Utf8(caption)).append("\"");
    }
    return text;
}

} // namespace

void StampInput(SaverHost& host, UINT message, WPARAM wParam, LPARAM lParam)
{
    host.Input.Now = static_cast<double>(GetTickCount64() - host.ShownAt) / 1000.0;
    if (message == WM_ACTIVATEAPP && wParam == 0 && !host.Input.PasswordDialogActive) {
        // lParam: the thread whose window is being activated.
        host.ActivatedElsewhere = DescribeActivation(static_cast<DWORD>(lParam));
    }
}

void ReportClose(const SaverHost& host, bool honoured)
{
    std::string line("Vessmark: ");
    line.append(CloseReport(host.Input, honoured, host.ActivatedElsewhere)).append("\n");
    const int size = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), size);
    OutputDebugStringW(wide.c_str());
}

} // namespace vessmark
