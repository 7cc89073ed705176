// Answers the message boxes of a process from a helper thread, as a user would, for tests of code
// that asks the user.
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
    DWORD thread;      // the thread that shows the box
    int button;        // the button pressed (IDOK, IDRETRY, IDCANCEL...)
    bool buttonFound;  // false when the box had no such button (the box is closed with that id anyway)
};

// The n-th message box (see IsMessageBox: its text is read once it is there) that appears in the
// process gets the n-th button. Boxes beyond the given buttons get Cancel when they have it, OK
// otherwise, and are recorded as well: nothing the test did not expect stays open.
// kProcessTree: this process and every process it started, directly or not (a relaunched program).
class MessageBoxAnswerer {
public:
    static const DWORD kProcessTree = 0;

    explicit MessageBoxAnswerer(std::vector<int> buttons, DWORD timeoutMs = 10000,
                                DWORD processId = GetCurrentProcessId());
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Waits until every given button was pressed, or timeoutMs after construction; returns the boxes
    // answered so far, in order.
    std::vector<AnsweredBox> Wait();

    // The boxes answered so far, and their texts.
    std::vector<AnsweredBox> Answered() const;
    std::vector<std::string> Texts() const;

private:
    void Run();
    HWND FindNewBox();

    const std::vector<int> m_buttons;
    const ULONGLONG m_deadline;
    const DWORD m_processId;
    HANDLE m_stop;
    HANDLE m_allGiven;
    std::vector<HWND> m_handled;
    mutable std::mutex m_mutex;
    std::vector<AnsweredBox> m_answered;
    std::thread m_thread;
};

} // namespace testsupport
