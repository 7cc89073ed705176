// The main window of a program that holds its template but none of its artwork: a plainer window
// that still works.
#include <gtest/gtest.h>

#include <memory>

#include "LauncherWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pump.h"

using namespace testsupport;

namespace {

class PlainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dlg.reset(new CLauncherLookDlg);
        ASSERT_TRUE(m_dlg->Create(IDD_LAUNCHER, NULL));
        m_dlg->ShowWindow(SW_SHOW);
        PumpPending(m_dlg->GetSafeHwnd());
    }
    void TearDown() override {
        if (m_dlg->GetSafeHwnd())
            m_dlg->DestroyWindow();
        PumpPending();
    }
    HWND Item(int id) const { return ::GetDlgItem(m_dlg->GetSafeHwnd(), id); }

    std::unique_ptr<CLauncherLookDlg> m_dlg;
};

TEST_F(PlainWindowTest, KeepsTheTemplateSizeAndShapeWithControlsInPlace) {
    EXPECT_EQ(nullptr, m_dlg->m_picture.GetBitmap());
    RECT expected = {0, 0, 320, 400};
    ASSERT_TRUE(MapDialogRect(m_dlg->GetSafeHwnd(), &expected));
    CRect window;
    m_dlg->GetWindowRect(&window);
    EXPECT_EQ(expected.right, window.Width());
    EXPECT_EQ(expected.bottom, window.Height());
    EXPECT_NE(480, window.Width());

    HRGN hRgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(m_dlg->GetSafeHwnd(), hRgn)) << "no picture, no rounded shape";
    DeleteObject(hRgn);

    for (const ControlPlace& place : kPlaces) {
        const RECT placed = PlaceInParent(Item(place.id));
        EXPECT_TRUE(EqualRect(&place.rect, &placed)) << "control " << place.id;
    }
}

TEST_F(PlainWindowTest, LabelsKeepTheirOwnBackground) {
    HDC hdc = CreateCompatibleDC(NULL);
    HBRUSH hbr = (HBRUSH)m_dlg->SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)Item(IDC_COUNT));
    DeleteDC(hdc);
    ASSERT_NE(nullptr, hbr);
    EXPECT_NE(GetStockObject(NULL_BRUSH), (HGDIOBJ)hbr);
    LOGBRUSH lb = {};
    ASSERT_NE(0, GetObjectA(hbr, sizeof lb, &lb));

    Pixels screen = CaptureWindow(m_dlg->GetSafeHwnd());
    RECT count = PlaceInParent(Item(IDC_COUNT));
    int area = (count.right - count.left) * (count.bottom - count.top);
    EXPECT_EQ(area, CountColor(screen, count, lb.lbColor)) << "the empty label shows its own brush";
}

TEST_F(PlainWindowTest, ErasingPaintsNothingAndStillCountsAsDone) {
    HDC hdcScreen = GetDC(NULL);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    HBITMAP hbm = CreateCompatibleBitmap(hdcScreen, 8, 8);
    ReleaseDC(NULL, hdcScreen);
    HGDIOBJ old = SelectObject(hdc, hbm);
    RECT all = {0, 0, 8, 8};
    HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(hdc, &all, marker);
    DeleteObject(marker);

    EXPECT_NE(0, m_dlg->SendMessage(WM_ERASEBKGND, (WPARAM)hdc));
    EXPECT_EQ(RGB(1, 2, 3), GetPixel(hdc, 4, 4));

    SelectObject(hdc, old);
    DeleteObject(hbm);
    DeleteDC(hdc);
}

} // namespace
