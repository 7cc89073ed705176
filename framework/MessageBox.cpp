#include "framework/MessageBox.h"

#include "framework/App.h"
#include "framework/Wnd.h"

namespace {

// A window of the calling thread to own the box, so the box is modal to it; NULL elsewhere (a
// worker thread), where an owner on the UI thread would tie the two threads together.
HWND BoxOwner() {
    HWND hWndMain = AfxGetMainWnd()->GetSafeHwnd();
    if (hWndMain != NULL && ::IsWindow(hWndMain) && GetWindowThreadProcessId(hWndMain, NULL) == GetCurrentThreadId())
        return ::GetLastActivePopup(hWndMain);
    return ::GetActiveWindow(); // only ever a window of this thread
}

} // namespace

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
    return ::MessageBoxA(BoxOwner(), lpszText ? lpszText : "", AfxGetAppName(), nType);
}
