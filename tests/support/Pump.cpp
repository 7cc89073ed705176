#include "tests/support/Pump.h"

namespace testsupport {

namespace {

void RunWaiting(HWND dialog, const MessageFilter& filter)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue; // a modal run of the test has ended: not ours to act on
        if (filter && filter(msg))
            continue;
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, HWND dialog, const MessageFilter& filter)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        RunWaiting(dialog, filter);
        if (done())
            return true;
        if (GetTickCount64() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending(HWND dialog, const MessageFilter& filter)
{
    for (int idle = 0; idle < 5;) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            RunWaiting(dialog, filter);
            idle = 0;
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            ++idle;
        }
    }
}

} // namespace testsupport
