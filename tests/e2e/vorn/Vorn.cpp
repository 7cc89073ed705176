// Stand-in for the game client: records how it was started into "VornStarted.txt" in its working
// folder (command line, working folder, then each argument), and shows a window saying so.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kClassName[] = "VornStandIn";

std::string g_text;

std::string WorkingFolder()
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

// Written under another name first: whoever sees the record sees it whole.
bool RecordStart()
{
    FILE* f = fopen("VornStarted.new", "wb");
    if (!f)
        return false;
    fprintf(f, "cmdline=%s\r\n", GetCommandLineA());
    fprintf(f, "cwd=%s\r\n", WorkingFolder().c_str());
    fprintf(f, "argc=%d\r\n", __argc - 1);
    for (int i = 1; i < __argc; ++i)
        fprintf(f, "arg%d=%s\r\n", i, __argv[i]);
    return fclose(f) == 0 && MoveFileExA("VornStarted.new", "VornStarted.txt", MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
        SetTextColor(dc, RGB(240, 222, 160));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, g_text.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int show)
{
    bool recorded = RecordStart();
    g_text = std::string("Vorn started\n\narguments: ") + args + "\nfolder: " + WorkingFolder() +
             (recorded ? "" : "\n(could not write VornStarted.txt)");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(kClassName, "Vorn", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 240,
                              NULL, NULL, instance, NULL);
    if (!hwnd)
        return recorded ? 0 : 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return recorded ? 0 : 1;
}
