// Driving real windows from a test: a message pump for a modeless dialog, real pointer input.
#pragma once

#include <windows.h>

#include <functional>

class CTestDialog;

// Runs the thread's messages (each first offered to the dialog's pre-translation and the dialog
// manager) until done() holds or timeoutMs passed. True when done() held.
bool PumpUntil(CTestDialog* pDlg, const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Runs the messages that are waiting now and those that they cause, then returns.
void PumpPending(CTestDialog* pDlg);

// Pointer input through SendInput, in screen coordinates.
void MovePointer(POINT screen);
void PressLeft();
void ReleaseLeft();
POINT CentreOnScreen(HWND hWnd);
