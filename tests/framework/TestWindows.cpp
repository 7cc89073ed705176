#include "TestWindows.h"

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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

CString ExpectedExeTitle() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    const char* name = strrchr(path, '\\');
    CString title(name ? name + 1 : path);
    return title.Left(title.ReverseFind('.'));
}

static BOOL CALLBACK FindBoxProc(HWND hWnd, LPARAM lParam) {
    char cls[32] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    *(HWND*)lParam = hWnd;
    return FALSE;
}

HWND FindThreadBox(DWORD threadId) {
    HWND hWndBox = NULL;
    EnumThreadWindows(threadId, FindBoxProc, (LPARAM)&hWndBox);
    return hWndBox;
}
