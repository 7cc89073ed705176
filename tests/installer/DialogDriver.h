// Drives the install dialog from another thread (or process), as a user would.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>

#include "tests/support/WindowSearch.h"

namespace installtest {

using testsupport::ItemText;
using testsupport::TextOf;

const DWORD kWindowWaitMs = 20000;

// The install dialog of the process (title "Velmora World" with a folder box), once visible; NULL after
// timeoutMs or when `stop` becomes true.
HWND WaitForInstallDialog(DWORD pid, DWORD timeoutMs = kWindowWaitMs, const std::atomic<bool>* stop = nullptr);

// A dialog that `owner` owns and that is not a message box (the folder picker), once visible.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = kWindowWaitMs);

// WM_SETTEXT, as a paste would.
void SetItemText(HWND dialog, int id, const std::string& text);
// Empties the box, then types the text character by character.
void TypeInto(HWND dialog, int id, const std::string& text);
// The button's click notification, as the dialog gets it from a mouse click.
void Press(HWND dialog, int id);

// Presses OK on the install dialog, active as a click leaves it, and returns the warning that the
// dialog then shows (a message box it owns), closing it; "" when the dialog closed instead.
std::string PressOkAndReadWarning(HWND dialog);

// Runs body() on this thread (it shows the install dialog modally, or not) while drive(dialog) runs on a
// helper thread once the dialog is visible. Whatever the driver leaves open is cancelled, so a failing
// driver cannot hang the test. Returns whether the dialog appeared.
bool DriveInstallDialog(const std::function<void()>& body, const std::function<void(HWND)>& drive);

} // namespace installtest
