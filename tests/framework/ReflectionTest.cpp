// Messages a control sends its parent come back to the control's object first.
#include <gtest/gtest.h>

#include <string>

#include "TestWindows.h"

namespace {

std::vector<std::string> g_order;

const COLORREF kLabelText = RGB(200, 10, 20);
const COLORREF kLabelBack = RGB(1, 2, 3);

class CColorLabel : public CStatic {
public:
    CColorLabel() { m_brush.CreateSolidBrush(kLabelBack); }
    int calls = 0;
    UINT lastType = 0;
    BOOL giveBrush = TRUE;
    CBrush m_brush;

protected:
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
        ++calls;
        lastType = nCtlColor;
        g_order.push_back("label");
        pDC->SetTextColor(kLabelText);
        pDC->SetBkMode(TRANSPARENT);
        return giveBrush ? (HBRUSH)m_brush.m_hObject : NULL;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColorLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CClickButton : public CButton {
public:
    BOOL stop = FALSE;
    int clicks = 0;
    int draws = 0;
    DRAWITEMSTRUCT lastDraw = {};

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override {
        ++draws;
        lastDraw = *lpDIS;
        g_order.push_back("drawitem");
        FillRect(lpDIS->hDC, &lpDIS->rcItem, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }

protected:
    afx_msg BOOL OnClicked() {
        ++clicks;
        g_order.push_back("button");
        return stop;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClickButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

const UINT IDC_R_LABEL = 201, IDC_R_BUTTON = 202, IDC_R_DRAWN = 203, IDC_R_PLAIN = 204;

// Replaces the label's brush after asking the framework first, as the launcher's window does.
class CParent : public CWnd {
public:
    CBrush m_own;
    CParent() { m_own.CreateSolidBrush(RGB(9, 9, 9)); }
    int ctlColors = 0;
    HBRUSH frameworkAnswer = NULL;
    COLORREF textAfterBase = 0;
    int bkModeAfterBase = 0;
    BOOL replaceBrush = FALSE;
    int parentClicks = 0;
    int commands = 0;

protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        ++ctlColors;
        frameworkAnswer = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
        textAfterBase = ::GetTextColor(pDC->GetSafeHdc());
        bkModeAfterBase = ::GetBkMode(pDC->GetSafeHdc());
        if (nCtlColor == CTLCOLOR_STATIC)
            g_order.push_back("parent");
        if (replaceBrush && nCtlColor == CTLCOLOR_STATIC)
            return (HBRUSH)GetStockObject(NULL_BRUSH);
        return frameworkAnswer;
    }
    afx_msg void OnButton() {
        ++parentClicks;
        g_order.push_back("parent-click");
    }
    afx_msg void OnMenuCommand() { ++commands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParent, CWnd)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_R_BUTTON, OnButton)
    ON_COMMAND(777, OnMenuCommand)
END_MESSAGE_MAP()

// A parent without a colour entry of its own: CWnd's default still reflects.
class CPlainParent : public CWnd {};

class Reflection : public ::testing::Test {
protected:
    void SetUp() override {
        g_order.clear();
        ASSERT_TRUE(parent.CreateEx(0, NULL, "parent", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, NULL, NULL));
        const RECT labelPlace = {10, 10, 110, 30}, buttonPlace = {10, 40, 90, 70}, drawnPlace = {100, 40, 180, 70};
        ASSERT_TRUE(label.CreateEx(0, "STATIC", "Label", WS_CHILD | WS_VISIBLE, labelPlace, &parent, IDC_R_LABEL));
        ASSERT_TRUE(button.CreateEx(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, buttonPlace, &parent,
                                    IDC_R_BUTTON));
        ASSERT_TRUE(drawn.CreateEx(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, drawnPlace, &parent,
                                   IDC_R_DRAWN));
        PumpPending(); // first paints done: count from here
        g_order.clear();
        label.calls = 0;
        parent.ctlColors = 0;
        button.draws = drawn.draws = 0;
    }

    LRESULT SendCtlColorStatic(HWND hWndParent, HWND hWndChild, CDC& dc) {
        return SendMessageA(hWndParent, WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)hWndChild);
    }

    CParent parent;
    CColorLabel label;
    CClickButton button;
    CClickButton drawn;
};

} // namespace

TEST_F(Reflection, CtlColorReachesTheLabelInsideTheParentsDefault) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    LRESULT brush = SendCtlColorStatic(parent.m_hWnd, label.m_hWnd, dc);

    EXPECT_EQ(label.calls, 1);
    EXPECT_EQ(label.lastType, (UINT)CTLCOLOR_STATIC);
    EXPECT_EQ(parent.frameworkAnswer, (HBRUSH)label.m_brush.m_hObject); // the label's brush is the framework's answer
    EXPECT_EQ(parent.textAfterBase, kLabelText);               // and its DC settings are there for the parent
    EXPECT_EQ(parent.bkModeAfterBase, TRANSPARENT);
    EXPECT_EQ((HBRUSH)brush, (HBRUSH)label.m_brush.m_hObject);
    EXPECT_EQ(g_order, (std::vector<std::string>{"label", "parent"}));

    parent.replaceBrush = TRUE;
    brush = SendCtlColorStatic(parent.m_hWnd, label.m_hWnd, dc);
    EXPECT_EQ((HBRUSH)brush, (HBRUSH)GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetTextColor(dc.GetSafeHdc()), kLabelText);
}

TEST_F(Reflection, CtlColorOfARealPaint) {
    label.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GE(label.calls, 1);
    EXPECT_GE(parent.ctlColors, 1);
    EXPECT_EQ(label.lastType, (UINT)CTLCOLOR_STATIC);
}

TEST_F(Reflection, NoBrushFromTheLabelLeavesTheWindowsDefault) {
    label.giveBrush = FALSE;
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    LRESULT brush = SendCtlColorStatic(parent.m_hWnd, label.m_hWnd, dc);
    EXPECT_EQ(label.calls, 1);
    EXPECT_NE(brush, 0);
    EXPECT_NE((HBRUSH)brush, (HBRUSH)label.m_brush.m_hObject);
    EXPECT_EQ(parent.frameworkAnswer, (HBRUSH)brush);
}

TEST_F(Reflection, ParentWithoutColourEntryStillReflects) {
    CPlainParent plain;
    ASSERT_TRUE(plain.CreateEx(0, NULL, "plain", WS_POPUP, 0, 0, 100, 100, NULL, NULL));
    CColorLabel child;
    const RECT place = {0, 0, 50, 20};
    ASSERT_TRUE(child.CreateEx(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, place, &plain, 5));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    EXPECT_EQ((HBRUSH)SendCtlColorStatic(plain.m_hWnd, child.m_hWnd, dc), (HBRUSH)child.m_brush.m_hObject);
    EXPECT_EQ(child.calls, 1);
}

TEST_F(Reflection, ClickedReflectedFalseLetsTheParentHandleItToo) {
    button.stop = FALSE;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(parent.parentClicks, 1);
    EXPECT_EQ(g_order, (std::vector<std::string>{"button", "parent-click"}));
}

TEST_F(Reflection, ClickedReflectedTrueKeepsItFromTheParent) {
    button.stop = TRUE;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(parent.parentClicks, 0);
}

TEST_F(Reflection, CommandsWithoutControlReachOnCommand) {
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(777, 0), 0); // menu
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(777, 1), 0); // accelerator
    EXPECT_EQ(parent.commands, 2);
    EXPECT_EQ(parent.parentClicks, 0);
}

TEST_F(Reflection, ClicksOfAPlainChildGoToTheParentOnly) {
    HWND hWndPlain = CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 200, 40, 60, 30,
                                     parent.m_hWnd, (HMENU)(UINT_PTR)IDC_R_BUTTON, GetModuleHandleA(NULL), NULL);
    ASSERT_NE(hWndPlain, (HWND)NULL);
    SendMessageA(hWndPlain, BM_CLICK, 0, 0);
    EXPECT_EQ(parent.parentClicks, 1);
    EXPECT_EQ(button.clicks, 0);
}

TEST_F(Reflection, DrawItemReachesTheButtonsDrawItem) {
    drawn.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_GE(drawn.draws, 1);
    EXPECT_EQ(drawn.lastDraw.hwndItem, drawn.m_hWnd);
    EXPECT_EQ(drawn.lastDraw.CtlID, IDC_R_DRAWN);
    EXPECT_EQ(drawn.lastDraw.CtlType, (UINT)ODT_BUTTON);
    EXPECT_EQ(button.draws, 0);

    // The button's face is what DrawItem painted.
    CClientDC dc(&drawn);
    EXPECT_EQ(::GetPixel(dc.GetSafeHdc(), 5, 5), RGB(0, 0, 0));
}
