#include "TestWindows.h"

#include "tests/support/TestPaths.h"
#include "tests/support/WindowSearch.h"

std::vector<UINT>& RawMessages() {
    static std::vector<UINT> messages;
    return messages;
}

LRESULT CALLBACK RawWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP)
        RawMessages().push_back(message);
    if (message == WM_APP + 3)
        return kRawAnswer;
    if (message == WM_APP + 4)
        return kRawDefault;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND CreateRawWindow(int x, int y, int cx, int cy) {
    static bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RawWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = "FwTestRaw";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "FwTestRaw", "raw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, cx, cy, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

CString ExpectedExeTitle() {
    return testsupport::ProgramName().c_str();
}

HWND FindThreadBox(DWORD threadId) {
    return testsupport::FindTopWindow([threadId](HWND hWnd) {
        return GetWindowThreadProcessId(hWnd, NULL) == threadId && testsupport::IsMessageBox(hWnd);
    });
}
