#include "WindowPump.h"

namespace {

void RunWaiting(HWND hDlg) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue; // a test's modal run has ended: not ours to act on
        if (hDlg && IsWindow(hDlg) && IsDialogMessageA(hDlg, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SendMouse(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, HWND hDlg) {
    const DWORD start = GetTickCount();
    for (;;) {
        RunWaiting(hDlg);
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending(HWND hDlg) {
    // Input and paints reach the queue a little after they are caused: a few quiet turns in a row.
    for (int idle = 0; idle < 5;) {
        MSG msg;
        if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            RunWaiting(hDlg);
            idle = 0;
        } else {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
            ++idle;
        }
    }
}

void MovePointer(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

void PressLeft() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
void ReleaseLeft() { SendMouse(MOUSEEVENTF_LEFTUP); }

void TapKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}
