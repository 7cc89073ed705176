// Helpers shared by the window tests: a window class that records what reaches its own procedure,
// the program's name and its message boxes.
#pragma once

#include "framework/framework.h"

#include <vector>

#include "tests/support/Pump.h"

using testsupport::PumpPending;

// Messages that reached RawWindowProc (the procedure a subclassed window keeps underneath).
std::vector<UINT>& RawMessages();
// Answers of the raw procedure, so a test can tell that a message reached it.
const LRESULT kRawAnswer = 1234;   // WM_APP + 3
const LRESULT kRawDefault = 41;    // WM_APP + 4
LRESULT CALLBACK RawWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// A visible top-level window of the recording class, not bound to any object.
HWND CreateRawWindow(int x = 50, int y = 50, int cx = 300, int cy = 200);

// The executable's name without folder and extension, as the framework must find it.
CString ExpectedExeTitle();

// The message box of a thread, once its text is there; NULL while there is none.
HWND FindThreadBox(DWORD threadId);
