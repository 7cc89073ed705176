// Message pumping and real input for window tests.
#pragma once
#include <windows.h>
#include <functional>

// Runs the thread's messages until done() holds or timeoutMs passed; true when done() held. Each
// message is offered to the dialog manager of hDlg first when one is given.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000, HWND hDlg = NULL);
// Runs the messages waiting now and those they cause.
void PumpPending(HWND hDlg = NULL);

// Real pointer and key input (SendInput), in screen coordinates.
void MovePointer(POINT screen);
void PressLeft();
void ReleaseLeft();
void TapKey(WORD vk);
