// Message boxes titled with the application's name.
#pragma once

#include <windows.h>

// Returns the button pressed (IDOK, IDRETRY...), 0 when the box could not be shown.
// On the UI thread the box is owned by the main window (or the thread's active window); from any
// other thread it is owned by nothing, so the UI thread keeps running its own loop meanwhile.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
