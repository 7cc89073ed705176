// Real pointer and key input (SendInput), in screen coordinates, as a user gives it.
#pragma once
#include <windows.h>

namespace testsupport {

// Exact position first, then a real (zero) move, so that the window under the pointer gets the input.
void MovePointer(POINT screen);
void PressLeft();
void ReleaseLeft();
void TapKey(WORD vk);

POINT CentreOnScreen(HWND window);
// A left click at the centre of the window, once the window shows there (nothing else covers that
// point); false when it does not within a few seconds.
bool ClickAt(HWND window);

} // namespace testsupport
