#include "Ui.h"

#include "TestDialog.h"

namespace {

void RunWaiting(CTestDialog* pDlg) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (pDlg != NULL && pDlg->GetSafeHwnd() != NULL) {
            if (pDlg->PreTranslateForControls(&msg))
                continue;
            if (IsDialogMessageA(pDlg->GetSafeHwnd(), &msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

}  // namespace

bool PumpUntil(CTestDialog* pDlg, const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        RunWaiting(pDlg);
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending(CTestDialog* pDlg) {
    // Input and paints arrive through the server a little later than they are caused: give
    // the queue a few short turns after it last ran empty.
    for (int idle = 0; idle < 5;) {
        MSG msg;
        if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            RunWaiting(pDlg);
            idle = 0;
        } else {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
            ++idle;
        }
    }
}

void MovePointer(POINT screen) {
    // Exact position first, then a real (zero) move so that the window under it gets the input.
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

void PressLeft() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
}

void ReleaseLeft() {
    SendMouse(MOUSEEVENTF_LEFTUP);
}

POINT CentreOnScreen(HWND hWnd) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}
