// Finding the windows and message boxes of the programs under test, across threads and processes,
// by what identifies them: process, owner, class, child controls and text.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>

#include "tests/support/WaitFor.h"

namespace testsupport {

// The window's text through WM_GETTEXT, which is marshalled across threads and processes; "" when the
// window does not answer.
std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);

DWORD ProcessOf(HWND window);

// Whether `owner` owns the window, directly or through the owner's own owners.
bool IsOwnedBy(HWND window, HWND owner);

// A visible dialog-class window ("#32770") that has the child `childId` (any dialog when 0).
bool IsDialogWith(HWND window, int childId = 0);

// A visible message box whose text is there: a dialog with the text control 0xFFFF holding text. Until
// that control is filled in, the window is not yet a box that a test may read or answer.
bool IsMessageBox(HWND window);
// The message box's text.
std::string BoxText(HWND box);

// The first top-level window for which `accept` holds; NULL when there is none.
HWND FindTopWindow(const std::function<bool(HWND)>& accept);
// Waits for such a window: NULL after timeoutMs or once `stop` is set.
HWND WaitForTopWindow(const std::function<bool(HWND)>& accept, DWORD timeoutMs,
                      const std::atomic<bool>* stop = nullptr);

// Waits until the window is destroyed or hidden; false after timeoutMs.
bool WaitUntilGone(HWND window, DWORD timeoutMs);

} // namespace testsupport
