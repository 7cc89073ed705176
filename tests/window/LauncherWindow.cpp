#include "LauncherWindow.h"

const ControlPlace kPlaces[10] = {
    {IDC_PLAY, {25, 462, 125, 488}},      {IDC_SIGNUP, {135, 462, 235, 488}},
    {IDC_WEBSITE, {245, 462, 345, 488}},  {IDC_QUIT, {355, 462, 455, 488}},
    {IDC_STATUS, {25, 496, 245, 514}},    {IDC_SPEED, {245, 496, 355, 514}},
    {IDC_COUNT, {355, 496, 455, 514}},    {IDC_PROGRESS_FILE, {25, 518, 455, 530}},
    {IDC_PROGRESS_TOTAL, {25, 536, 455, 548}}, {IDC_VERSION, {25, 560, 455, 580}},
};

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

Pixels CaptureWindow(HWND hWnd) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    Pixels out;
    out.width = rc.right - rc.left;
    out.height = rc.bottom - rc.top;
    HDC hdcScreen = GetDC(NULL);
    HDC hdcMem = CreateCompatibleDC(hdcScreen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = out.width;
    bi.bmiHeader.biHeight = -out.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HBITMAP hDib = CreateDIBSection(hdcScreen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(hdcMem, hDib);
    BitBlt(hdcMem, 0, 0, out.width, out.height, hdcScreen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    out.data.resize((size_t)out.width * out.height);
    for (size_t i = 0; i < out.data.size(); ++i)
        out.data[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(hdcMem, old);
    DeleteObject(hDib);
    DeleteDC(hdcMem);
    ReleaseDC(NULL, hdcScreen);
    return out;
}

RECT PlaceInParent(HWND hChild) {
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(NULL, GetParent(hChild), (POINT*)&rc, 2);
    return rc;
}

int CountEqual(const Pixels& a, const Pixels& b, const RECT& rect) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += a.At(x, y) == b.At(x, y);
    return count;
}

int CountColor(const Pixels& a, const RECT& rect, COLORREF color) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += a.At(x, y) == color;
    return count;
}

POINT ClientPointOnScreen(HWND hWnd, int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(hWnd, &pt);
    return pt;
}
