// CImageButton: hover with real pointer input, focus, enabling, default-button tracking,
// colour changes, clicks through the framework's modal loop.
#include "WindowFixture.h"

#include <atomic>
#include <thread>

using ImageButtonBehaviour = DialogTest;

TEST_F(ImageButtonBehaviour, HoverFollowsThePointer) {
    TestButton& b = Button(0);
    TestButton& other = Button(1);
    ASSERT_FALSE(b.m_bHover);

    MovePointer(CentreOnScreen(b.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; })) << "the pointer over the button lights it";
    EXPECT_FALSE(other.m_bHover);
    EXPECT_EQ(GetCursor(), b.m_hButtonCursor) << "the button shows its own cursor";

    MovePointer(CentreOnScreen(other.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return other.m_bHover != FALSE; }));
    EXPECT_TRUE(Pump([&] { return b.m_bHover == FALSE; })) << "leaving the button ends its hover";

    MovePointer(kParkedPointer);
    EXPECT_TRUE(Pump([&] { return other.m_bHover == FALSE; })) << "leaving the dialog ends the hover";
}

TEST_F(ImageButtonBehaviour, HeldLeftButtonDoesNotLightButKeepsLit) {
    TestButton& b = Button(2);
    // Press on the bare picture left of the button, then slide onto it with the button held.
    RECT rc;
    b.GetWindowRect(&rc);
    POINT outside = {rc.left - 8, (rc.top + rc.bottom) / 2};
    MovePointer(outside);
    Settle();
    PressLeft();
    Settle();
    MovePointer(CentreOnScreen(b.GetSafeHwnd()));
    Settle();
    EXPECT_FALSE(b.m_bHover) << "a pointer arriving with the left button held must not light the button";
    ReleaseLeft();
    Settle();

    // Lit first, then the left button held while moving over it: it stays lit.
    POINT inside = CentreOnScreen(b.GetSafeHwnd());
    inside.x -= 10;
    MovePointer(inside);
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    PressLeft();
    Settle();
    inside.x += 20;
    MovePointer(inside);
    Settle();
    EXPECT_TRUE(b.m_bHover);
    ReleaseLeft();
    Settle();
}

TEST_F(ImageButtonBehaviour, LeavingWhilePressedEndsHover) {
    TestButton& b = Button(1);
    MovePointer(CentreOnScreen(b.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    PressLeft();
    ASSERT_TRUE(Pump([&] { return ::GetCapture() == b.GetSafeHwnd(); })) << "the press did not reach the button";

    // The move that the pressed button gets once the pointer is above it, on the bare picture. Given
    // straight, because Wine also ends the hover a moment later by a mouse-leave message.
    b.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, -30));
    EXPECT_FALSE(b.m_bHover) << "the pressed button stays lit without the pointer";

    RECT rc;
    b.GetWindowRect(&rc);
    MovePointer(POINT{(rc.left + rc.right) / 2, rc.top - 30});
    Settle();
    ReleaseLeft();
    Settle();
    EXPECT_EQ(m_dlg->m_nClicks[1], 0) << "released outside: no click";
}

TEST_F(ImageButtonBehaviour, FocusLossEndsHoverUntilTheNextMove) {
    TestButton& b = Button(1);
    b.SetFocus();
    POINT pt = CentreOnScreen(b.GetSafeHwnd());
    MovePointer(pt);
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));

    Flush(b);
    Button(2).SetFocus();
    EXPECT_FALSE(b.m_bHover) << "losing the focus ends the hover although the pointer stays";
    EXPECT_TRUE(HasUpdate(b)) << "and repaints";

    pt.x += 3;
    MovePointer(pt);
    EXPECT_TRUE(Pump([&] { return b.m_bHover != FALSE; })) << "the next move over it lights it again";
}

TEST_F(ImageButtonBehaviour, CancelModeAndMouseLeaveEndHover) {
    TestButton& b = Button(3);
    POINT pt = CentreOnScreen(b.GetSafeHwnd());
    MovePointer(pt);
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    b.SendMessage(WM_CANCELMODE);
    EXPECT_FALSE(b.m_bHover);

    pt.x += 2;
    MovePointer(pt);
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    EXPECT_EQ(b.SendMessage(WM_MOUSELEAVE), 0);
    EXPECT_FALSE(b.m_bHover);

    pt.x += 2;
    MovePointer(pt);
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    b.SendMessage(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    EXPECT_FALSE(b.m_bHover);
}

TEST_F(ImageButtonBehaviour, DisablingMovesTheFocusOnAndEndsHover) {
    TestButton& first = Button(0);
    TestButton& second = Button(1);
    TestButton& third = Button(2);

    // The focus elsewhere: disabling the first button still moves it to the next in tab order.
    third.SetFocus();
    ASSERT_EQ(::GetFocus(), third.GetSafeHwnd());
    first.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), second.GetSafeHwnd());

    // Lit and focused: disabling moves the focus on and ends the hover.
    first.EnableWindow(TRUE);
    MovePointer(CentreOnScreen(third.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return third.m_bHover != FALSE; }));
    third.SetFocus();
    third.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), Button(3).GetSafeHwnd());
    EXPECT_FALSE(third.m_bHover);

    // Lit without the focus. The system's WM_CANCELMODE ahead of WM_ENABLE ends the hover by itself,
    // so the enable message must end it alone too.
    MovePointer(CentreOnScreen(second.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return second.m_bHover != FALSE; }));
    ASSERT_NE(::GetFocus(), second.GetSafeHwnd());
    second.SendMessage(WM_ENABLE, FALSE);
    EXPECT_FALSE(second.m_bHover) << "disabling left the button lit";
}

TEST_F(ImageButtonBehaviour, DisablingTheOnlyControlGivesTheFocusToTheParent) {
    for (int i = 1; i < 4; ++i)
        Button(i).EnableWindow(FALSE);
    Button(0).SetFocus();
    Button(0).EnableWindow(FALSE);
    // The dialog gets it (and its dialog manager may hand it on to one of its children).
    const HWND hFocus = ::GetFocus();
    ASSERT_NE(hFocus, (HWND)NULL) << "the focus was lost";
    EXPECT_NE(hFocus, Button(0).GetSafeHwnd());
    EXPECT_TRUE(hFocus == m_dlg->GetSafeHwnd() || ::IsChild(m_dlg->GetSafeHwnd(), hFocus));
}

TEST_F(ImageButtonBehaviour, DefaultButtonFollowsTheDialogManager) {
    TestButton& first = Button(0);
    TestButton& second = Button(1);
    EXPECT_TRUE(first.m_bDefaultButton) << "the template made it the default push button";
    EXPECT_FALSE(second.m_bDefaultButton);
    EXPECT_TRUE(first.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(second.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_FALSE(second.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);

    // The dialog manager moves the default look with the focus through BM_SETSTYLE.
    m_dlg->SendMessage(WM_NEXTDLGCTL, (WPARAM)second.GetSafeHwnd(), TRUE);
    Settle();
    EXPECT_TRUE(second.m_bDefaultButton);
    EXPECT_FALSE(first.m_bDefaultButton);
    EXPECT_TRUE(second.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Button(i).GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW) << "button " << i;

    second.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(second.m_bDefaultButton);
    EXPECT_EQ(second.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW);
    second.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(second.m_bDefaultButton);
    EXPECT_EQ(second.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW);
    second.SendMessage(BM_SETSTYLE, BS_CHECKBOX, TRUE);
    EXPECT_TRUE(second.m_bDefaultButton) << "other types leave the flag";
}

TEST_F(ImageButtonBehaviour, SysColorChangeResetsSlotsAndDropsTheCopy) {
    TestButton& b = Button(0);
    ASSERT_NE(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL) << "drawn once, so the copy is held";
    ASSERT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_NORMAL], kCaptionNormal);

    Flush(b);
    b.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_HOVER], GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_NORMAL], GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(b.m_crSlots[COLOR_SLOT_BACK_NORMAL], GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL);
    EXPECT_EQ(b.m_bmpParentCopy.GetSafeHandle(), (HGDIOBJ)NULL);
    EXPECT_TRUE(HasUpdate(b));

    b.UpdateWindow();
    EXPECT_NE(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL) << "the next draw takes a fresh copy";
}

// The system tells only the top-level window; the buttons hear of it through their window.
TEST_F(ImageButtonBehaviour, SysColorChangeOfTheWindowReachesEveryButton) {
    for (int i = 0; i < 4; ++i)
        ASSERT_NE(Button(i).m_dcParentCopy.GetSafeHdc(), (HDC)NULL) << "button " << i;
    m_dlg->SendMessage(WM_SYSCOLORCHANGE);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Button(i).m_crSlots[COLOR_SLOT_TEXT_HOVER], GetSysColor(COLOR_BTNTEXT)) << "button " << i;
        EXPECT_EQ(Button(i).m_crSlots[COLOR_SLOT_TEXT_NORMAL], GetSysColor(COLOR_BTNTEXT)) << "button " << i;
        EXPECT_EQ(Button(i).m_dcParentCopy.GetSafeHdc(), (HDC)NULL) << "button " << i;
    }
}

TEST_F(ImageButtonBehaviour, ParentBackgroundModeDropsTheCopy) {
    TestButton& b = Button(2);
    ASSERT_NE(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL);
    const HGDIOBJ hOldCopy = b.m_bmpParentCopy.GetSafeHandle();
    b.SetParentBackgroundMode(FALSE);
    EXPECT_TRUE(b.m_bParentBackground);
    EXPECT_EQ(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL);
    EXPECT_EQ(b.m_pOldParentBitmap, (CGdiObject*)NULL);
    EXPECT_EQ(GetObjectType(hOldCopy), 0u) << "the copy bitmap was deleted";
    b.InvalidateRect(NULL);
    b.UpdateWindow();
    EXPECT_NE(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL);
}

TEST_F(ImageButtonBehaviour, ClickTakesTheFocusAndReachesTheParent) {
    TestButton& b = Button(3);
    MovePointer(CentreOnScreen(b.GetSafeHwnd()));
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    PressLeft();
    ReleaseLeft();
    ASSERT_TRUE(Pump([&] { return m_dlg->m_nClicks[3] == 1; }));
    EXPECT_EQ(::GetFocus(), b.GetSafeHwnd());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m_dlg->m_nClicks[i], 0);
}

TEST_F(ImageButtonBehaviour, PreTranslationTurnsADoubleClickIntoAClick) {
    TestButton& b = Button(0);
    MSG msg = {};
    msg.hwnd = b.GetSafeHwnd();
    msg.message = WM_LBUTTONDBLCLK;
    msg.wParam = MK_LBUTTON;
    EXPECT_FALSE(b.PreTranslateMessage(&msg));
    EXPECT_EQ(msg.message, (UINT)WM_LBUTTONDOWN);
    EXPECT_NE(b.m_tip.GetSafeHwnd(), (HWND)NULL) << "the tooltip is made on first use";
    EXPECT_EQ(b.m_tip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    EXPECT_EQ(b.m_tip.SendMessage(TTM_GETTOOLCOUNT), 0);

    msg.message = WM_MOUSEMOVE;
    EXPECT_FALSE(b.PreTranslateMessage(&msg));
    EXPECT_EQ(msg.message, (UINT)WM_MOUSEMOVE);
}

// The framework's own modal loop offers each message to the button first, so a real double click
// reaches the parent as two clicks.
TEST(ImageButtonModal, DoubleClickGivesTheParentTwoClicks) {
    MovePointer(kParkedPointer);
    CTestDialog dlg;
    std::atomic<bool> stop(false);
    std::atomic<int> phase(0);
    std::thread driver([&] {
        auto waitFor = [&](const std::function<bool()>& done) { return WaitFor(done, 8000, &stop); };
        if (!waitFor([&] { return dlg.m_btn[1].GetSafeHwnd() != NULL && IsWindowVisible(dlg.GetSafeHwnd()); }))
            return;
        phase = 1;
        MovePointer(CentreOnScreen(dlg.m_btn[1].GetSafeHwnd()));
        waitFor([&] { return dlg.m_btn[1].m_bHover != FALSE; });
        INPUT clicks[4] = {};
        const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
        for (int i = 0; i < 4; ++i) {
            clicks[i].type = INPUT_MOUSE;
            clicks[i].mi.dwFlags = flags[i];
        }
        SendInput(4, clicks, sizeof clicks[0]);
        phase = 2;
        waitFor([&] { return dlg.m_nClicks[1] >= 2; });
        phase = 3;
        PostMessageA(dlg.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = dlg.DoModal();
    stop = true;
    driver.join();
    EXPECT_EQ(result, (INT_PTR)IDCANCEL);
    ASSERT_EQ(phase.load(), 3) << "the driver did not get through";
    EXPECT_EQ(dlg.m_nClicks[1], 2);
    EXPECT_EQ(dlg.m_nClicks[0], 0);
}
