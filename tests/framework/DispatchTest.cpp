// One dispatch path: the object's map, then its bases' maps, then the window's own procedure.
#include <gtest/gtest.h>

#include <string>

#include "TestWindows.h"

namespace {

class CBaseProbe : public CWnd {
public:
    std::vector<std::string> calls;

protected:
    afx_msg LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
        calls.push_back("base-only");
        return (LRESULT)wParam + 1;
    }
    afx_msg LRESULT OnShared(WPARAM, LPARAM) {
        calls.push_back("base-shared");
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
    ON_MESSAGE(WM_APP + 1, OnBaseOnly)
    ON_MESSAGE(WM_APP + 2, OnShared)
END_MESSAGE_MAP()

class CDerivedProbe : public CBaseProbe {
public:
    bool destroyed = false;
    int creates = 0;
    HWND hWndAtDestroy = NULL;
    int createResult = 0;

protected:
    afx_msg LRESULT OnSharedDerived(WPARAM, LPARAM) {
        calls.push_back("derived-shared");
        return 2;
    }
    afx_msg LRESULT OnWithDefault(WPARAM, LPARAM) {
        calls.push_back("derived-default");
        return Default() + 1; // the window's own procedure answers 41
    }
    afx_msg LRESULT OnCreate(WPARAM, LPARAM) {
        ++creates;
        if (Default() == -1)
            return -1;
        return createResult;
    }
    afx_msg void OnDestroy() {
        destroyed = true;
        hWndAtDestroy = m_hWnd;
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbe, CBaseProbe)
    ON_MESSAGE(WM_APP + 2, OnSharedDerived)
    ON_MESSAGE(WM_APP + 4, OnWithDefault)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

} // namespace

TEST(Dispatch, DerivedMapFirstThenBaseThenOriginalProcedure) {
    HWND hWnd = CreateRawWindow();
    ASSERT_NE(hWnd, (HWND)NULL);
    CDerivedProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(hWnd));
    RawMessages().clear();

    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 2, 0, 0), 2);  // the derived entry hides the base one
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 1, 6, 0), 7);  // only the base has it
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 3, 0, 0), kRawAnswer); // nobody: the window's own procedure
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 4, 0, 0), kRawDefault + 1); // Default reaches it too

    EXPECT_EQ(probe.calls, (std::vector<std::string>{"derived-shared", "base-only", "derived-default"}));
    // The raw procedure saw exactly the two messages nobody kept from it.
    EXPECT_EQ(RawMessages(), (std::vector<UINT>{WM_APP + 3, WM_APP + 4}));
}

TEST(Dispatch, DetachGivesTheWindowItsProcedureBack) {
    HWND hWnd = CreateRawWindow();
    CDerivedProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &probe);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(hWnd, GWLP_WNDPROC), &CWnd::WndProc);

    EXPECT_EQ(probe.Detach(), hWnd);
    EXPECT_EQ(probe.m_hWnd, (HWND)NULL);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), (CWnd*)NULL);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(hWnd, GWLP_WNDPROC), &RawWindowProc);
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 2, 0, 0), 0); // no map any more
    EXPECT_TRUE(probe.calls.empty());
    DestroyWindow(hWnd);
}

TEST(Dispatch, OneWindowOneObject) {
    HWND hWnd = CreateRawWindow();
    CDerivedProbe first, second;
    ASSERT_TRUE(first.SubclassWindow(hWnd));
    EXPECT_FALSE(second.SubclassWindow(hWnd));
    EXPECT_FALSE(second.Attach(hWnd));
    EXPECT_EQ(second.m_hWnd, (HWND)NULL);
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 2, 0, 0), 2);
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_TRUE(second.calls.empty());
}

TEST(Dispatch, CreateExRoutesTheFirstMessagesAndDestroyUnbinds) {
    CDerivedProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, NULL, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
    HWND hWnd = probe.m_hWnd;
    EXPECT_EQ(probe.creates, 1); // WM_CREATE went through the map: bound before the window's first message
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &probe);

    EXPECT_TRUE(probe.DestroyWindow());
    EXPECT_TRUE(probe.destroyed);
    EXPECT_EQ(probe.hWndAtDestroy, hWnd);
    EXPECT_EQ(probe.m_hWnd, (HWND)NULL);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), (CWnd*)NULL);
}

TEST(Dispatch, RefusedCreationLeavesNothingBound) {
    CDerivedProbe probe;
    probe.createResult = -1;
    EXPECT_FALSE(probe.CreateEx(0, NULL, "refused", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
    EXPECT_EQ(probe.creates, 1);
    EXPECT_EQ(probe.m_hWnd, (HWND)NULL);
    // The object can be used again.
    probe.createResult = 0;
    EXPECT_TRUE(probe.CreateEx(0, NULL, "again", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
}

TEST(Dispatch, DestructorDestroysTheWindowItHolds) {
    HWND hWnd;
    {
        CDerivedProbe probe;
        ASSERT_TRUE(probe.CreateEx(0, NULL, "scoped", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
        hWnd = probe.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), (CWnd*)NULL);
}

TEST(Dispatch, TemporaryObjectsForWindowsNobodyBound) {
    HWND hWnd = CreateRawWindow();
    EXPECT_EQ(CWnd::FromHandle(NULL), (CWnd*)NULL);
    EXPECT_EQ(CWnd::FromHandle(NULL)->GetSafeHwnd(), (HWND)NULL);
    CWnd* pTemp = CWnd::FromHandle(hWnd);
    ASSERT_NE(pTemp, (CWnd*)NULL);
    EXPECT_EQ(pTemp->m_hWnd, hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), pTemp); // one per handle until the loop is idle
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), (CWnd*)NULL);
    // Using the temporary does not take the window over.
    EXPECT_EQ(pTemp->SendMessage(WM_APP + 3), kRawAnswer);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(hWnd, GWLP_WNDPROC), &RawWindowProc);
    AfxDeleteTempMap();
    EXPECT_TRUE(IsWindow(hWnd)); // freeing the wrapper leaves the window alone
    DestroyWindow(hWnd);
}

TEST(Dispatch, StyleChangesReportWhetherSomethingChanged) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "style", WS_OVERLAPPED | WS_CAPTION, 10, 10, 200, 100, NULL, NULL));
    EXPECT_TRUE(wnd.ModifyStyle(WS_CAPTION, WS_BORDER, SWP_FRAMECHANGED));
    EXPECT_FALSE(wnd.GetStyle() & WS_DLGFRAME);
    EXPECT_TRUE(wnd.GetStyle() & WS_BORDER);
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_BORDER)); // nothing to do
}

TEST(Dispatch, CenterWindowOnTheWorkArea) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "centre", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, NULL, NULL));
    wnd.CenterWindow();
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    CRect rc;
    wnd.GetWindowRect(&rc);
    EXPECT_EQ(rc.Width(), 200);
    EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST(Dispatch, WindowTextThroughCString) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
    wnd.SetWindowText("Mise à jour");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "Mise à jour");
    EXPECT_EQ(GetWindowTextLengthA(wnd.m_hWnd), text.GetLength());
    wnd.SetWindowText("");
    wnd.GetWindowText(text);
    EXPECT_TRUE(text.IsEmpty());
}

namespace {

// Looks a window up as a temporary inside a handler, then lets an idle loop pass.
class CTempUser : public CWnd {
public:
    HWND hWndOther = NULL;
    bool sameObjectAfterIdle = false;
    bool handleIntact = false;

protected:
    afx_msg LRESULT OnUse(WPARAM, LPARAM) {
        CWnd* pOther = CWnd::FromHandle(hWndOther);
        AfxDeleteTempMap(); // what a nested loop's idle time does
        sameObjectAfterIdle = CWnd::FromHandle(hWndOther) == pOther;
        handleIntact = pOther->m_hWnd == hWndOther;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTempUser, CWnd)
    ON_MESSAGE(WM_APP + 40, OnUse)
END_MESSAGE_MAP()

} // namespace

TEST(Dispatch, TemporariesSurviveWhileAHandlerRuns) {
    HWND hWndOther = CreateRawWindow();
    CTempUser user;
    ASSERT_TRUE(user.CreateEx(0, NULL, "user", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, NULL, NULL));
    user.hWndOther = hWndOther;
    user.SendMessage(WM_APP + 40);
    EXPECT_TRUE(user.sameObjectAfterIdle);
    EXPECT_TRUE(user.handleIntact);
    DestroyWindow(hWndOther);
}

TEST(Dispatch, ToolTipOfAControl) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, NULL, "parent", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, NULL, NULL));
    CButton button;
    const RECT place = {5, 5, 60, 30};
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, place, &parent, 9));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&button, 0));
    char cls[64] = "";
    GetClassNameA(tip.m_hWnd, cls, sizeof(cls));
    EXPECT_STREQ(cls, TOOLTIPS_CLASSA);
    EXPECT_EQ(::GetWindow(tip.m_hWnd, GW_OWNER), parent.m_hWnd); // a control's popups belong to its window
    tip.Activate(FALSE);
    tip.SetMaxTipWidth(400);
    EXPECT_EQ(tip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    MSG msg = {button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3), 0, {0, 0}};
    tip.RelayEvent(&msg); // no tool, not active: nothing shows
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));
    HWND hWndTip = tip.m_hWnd;
    parent.DestroyWindow(); // owned popups go with their owner, and their objects let go
    EXPECT_FALSE(IsWindow(hWndTip));
    EXPECT_EQ(tip.m_hWnd, (HWND)NULL);
    EXPECT_EQ(button.m_hWnd, (HWND)NULL);
}
