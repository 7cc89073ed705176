#include "tests/support/Input.h"

#include "tests/support/WaitFor.h"

namespace testsupport {

namespace {

void SendMouse(DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// A mouse event that carries its own screen position.
void SendMouseAt(POINT screen, DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

} // namespace

void MovePointer(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

void PressLeft()
{
    SendMouse(MOUSEEVENTF_LEFTDOWN);
}

void ReleaseLeft()
{
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void TapKey(WORD vk)
{
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

POINT CentreOnScreen(HWND window)
{
    RECT rc;
    GetWindowRect(window, &rc);
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

bool ClickAt(HWND window)
{
    POINT centre = CentreOnScreen(window);
    if (!WaitFor([&] { return WindowFromPoint(centre) == window; }, 10000))
        return false;
    // Each event carries its position: a pointer only just moved to the window may still be on its way
    // through the display server when the press comes, and the press would land where it was.
    SendMouseAt(centre, 0);
    SendMouseAt(centre, MOUSEEVENTF_LEFTDOWN);
    Sleep(30); // a press that the button sees as one, not as a bounce
    SendMouseAt(centre, MOUSEEVENTF_LEFTUP);
    return true;
}

} // namespace testsupport
