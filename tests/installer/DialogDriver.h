// Drives the install dialog and answers message boxes from another thread (or process), as a user would.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>

namespace installtest {

const DWORD kWindowWaitMs = 20000;

// The install dialog of the process (title "Velmora World" with a folder box), once visible; NULL after
// timeoutMs or when `stop` becomes true.
HWND WaitForInstallDialog(DWORD pid, DWORD timeoutMs = kWindowWaitMs, const std::atomic<bool>* stop = nullptr);

// A message box of the process (other than those in `skip`), once visible; NULL after timeoutMs.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs = kWindowWaitMs);

// Any other visible dialog of the process: the folder picker.
HWND WaitForOtherDialog(DWORD pid, HWND notThis, DWORD timeoutMs = kWindowWaitMs);

bool WaitUntilGone(HWND window, DWORD timeoutMs = kWindowWaitMs);

std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);
// WM_SETTEXT, as a paste would.
void SetItemText(HWND dialog, int id, const std::string& text);
// Empties the box, then types the text character by character.
void TypeInto(HWND dialog, int id, const std::string& text);
// The button's click notification, as the dialog gets it from a mouse click.
void Press(HWND dialog, int id);

struct BoxSeen {
    std::string title;
    std::string text;
};
// Waits for a message box, reads it and closes it with OK; an empty text when none came.
BoxSeen CloseNextMessageBox(DWORD pid, DWORD timeoutMs = kWindowWaitMs);

// Presses OK on the install dialog and returns the warning it shows (closing it); "" when the dialog
// closed instead.
std::string PressOkAndReadWarning(HWND dialog);

// Runs body() on this thread (it shows the install dialog modally, or not) while drive(dialog) runs on a
// helper thread once the dialog is visible. Whatever the driver leaves open is cancelled, so a failing
// driver cannot hang the test. Returns whether the dialog appeared.
bool DriveInstallDialog(const std::function<void()>& body, const std::function<void(HWND)>& drive);

} // namespace installtest
