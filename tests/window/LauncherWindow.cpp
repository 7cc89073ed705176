#include "LauncherWindow.h"

#include <cstdlib>
#include <string>

const ControlPlace kPlaces[10] = {
    {IDC_PLAY, {25, 462, 125, 488}},      {IDC_SIGNUP, {135, 462, 235, 488}},
    {IDC_WEBSITE, {245, 462, 345, 488}},  {IDC_QUIT, {355, 462, 455, 488}},
    {IDC_STATUS, {25, 496, 245, 514}},    {IDC_SPEED, {245, 496, 355, 514}},
    {IDC_COUNT, {355, 496, 455, 514}},    {IDC_PROGRESS_FILE, {25, 518, 455, 530}},
    {IDC_PROGRESS_TOTAL, {25, 536, 455, 548}}, {IDC_VERSION, {25, 560, 455, 580}},
};

CGameHostElsewhere::CGameHostElsewhere() {
    _putenv((std::string("VELMORA_TEST_GAME_HOST=") + kHost).c_str());
}

CGameHostElsewhere::~CGameHostElsewhere() {
    _putenv("VELMORA_TEST_GAME_HOST=");
}

namespace {

LRESULT CALLBACK BackdropProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(hWnd, &rc);
        HBRUSH hBrush = CreateSolidBrush(CBackdrop::kColor);
        FillRect((HDC)wParam, &rc, hBrush);
        DeleteObject(hBrush);
        return 1;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace

CBackdrop::CBackdrop() : m_hWnd(NULL) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "TestBackdrop";
    RegisterClassA(&wc);
    m_hWnd = CreateWindowExA(WS_EX_NOACTIVATE, "TestBackdrop", "", WS_POPUP | WS_VISIBLE, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    UpdateWindow(m_hWnd);
}

CBackdrop::~CBackdrop() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}
