// A real window under Xvfb: what it paints can be read back from the screen.
#include <windows.h>
#include <gtest/gtest.h>
#include "tests/support/Pump.h"

namespace {

const COLORREF kLeft = RGB(200, 30, 40);
const COLORREF kRight = RGB(20, 120, 220);

LRESULT CALLBACK PaintHalves(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        RECT left = client, right = client;
        left.right = right.left = client.right / 2;
        HBRUSH red = CreateSolidBrush(kLeft), blue = CreateSolidBrush(kRight);
        FillRect(dc, &left, red);
        FillRect(dc, &right, blue);
        DeleteObject(red);
        DeleteObject(blue);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return color;
}

} // namespace

TEST(Window, PaintedPixelsCanBeReadBackFromTheScreen)
{
    WNDCLASSA cls = {};
    cls.lpfnWndProc = PaintHalves;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "HarnessPaintHalves";
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_NE(RegisterClassA(&cls), 0);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, cls.lpszClassName, "Harness", WS_POPUP | WS_VISIBLE, 50, 60, 200,
                                  100, nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);

    // The X server shows the window a little after Wine paints it.
    COLORREF left = CLR_INVALID, right = CLR_INVALID;
    testsupport::PumpUntil(
        [&] {
            left = ScreenPixel(window, 50, 50);
            right = ScreenPixel(window, 150, 50);
            return left == kLeft && right == kRight;
        },
        10000);
    EXPECT_EQ(left, kLeft);
    EXPECT_EQ(right, kRight);

    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 10, 90), kLeft);
    EXPECT_EQ(GetPixel(dc, 190, 10), kRight);
    ReleaseDC(window, dc);
    DestroyWindow(window);
}
