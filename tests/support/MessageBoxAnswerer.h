// Answers the message boxes of a process from a helper thread, for tests of code that asks the user.
#pragma once
#include <windows.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct AnsweredBox {
    std::string title;
    std::string text;
    int button;        // the button pressed (IDOK, IDRETRY, IDCANCEL...)
    bool buttonFound;  // false when the box had no such button (the box is closed with that id anyway)
};

// The n-th message box (#32770 dialog with a text control 0xFFFF) that appears in the process gets
// the n-th button; the thread stops once all are given or when timeoutMs has passed since construction.
// kProcessTree: this process and every process it started, directly or not (a relaunched program).
class MessageBoxAnswerer {
public:
    static const DWORD kProcessTree = 0;

    explicit MessageBoxAnswerer(std::vector<int> buttons, DWORD timeoutMs = 10000,
                                DWORD processId = GetCurrentProcessId());
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Waits until every button was given or the time is up; returns the boxes answered, in order.
    std::vector<AnsweredBox> Wait();

    // The boxes answered so far.
    std::vector<AnsweredBox> Answered() const;

private:
    void Run();
    HWND FindNewBox();

    std::vector<int> m_buttons;
    DWORD m_timeoutMs;
    DWORD m_processId;
    HANDLE m_stop;
    std::vector<HWND> m_handled;
    mutable std::mutex m_mutex;
    std::vector<AnsweredBox> m_answered;
    std::thread m_thread;
};

} // namespace testsupport
