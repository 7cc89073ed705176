// Dialogs from the test template, run by the framework's modal loop.
#include <gtest/gtest.h>

#include <string>

#include "TestWindows.h"
#include "test_resource.h"

namespace {

const UINT WM_PROBE_END = WM_APP + 20;     // handler: EndDialog(wParam)
const UINT WM_PROBE_QUIT = WM_APP + 21;    // handler: PostQuitMessage
const UINT WM_PROBE_POSTED = WM_APP + 22;  // posted to a control; its PreTranslateMessage renames it
const UINT WM_PROBE_RENAMED = WM_APP + 23;

class CProbeStatic : public CStatic {
public:
    int preSubclass = 0;
    bool procWasOriginal = false;
    HWND hWndAtPreSubclass = NULL;

protected:
    void PreSubclassWindow() override {
        ++preSubclass;
        hWndAtPreSubclass = m_hWnd;
        procWasOriginal = (WNDPROC)GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) != &CWnd::WndProc;
        CStatic::PreSubclassWindow();
    }
};

class CProbeButton : public CButton {
public:
    std::vector<UINT> pretranslated;
    std::vector<UINT> handled;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message >= WM_APP)
            pretranslated.push_back(pMsg->message);
        if (pMsg->message == WM_PROBE_POSTED)
            pMsg->message = WM_PROBE_RENAMED; // as the image button turns a double click into a click
        return CButton::PreTranslateMessage(pMsg);
    }

protected:
    afx_msg LRESULT OnRenamed(WPARAM, LPARAM) {
        handled.push_back(WM_PROBE_RENAMED);
        return 0;
    }
    afx_msg LRESULT OnPosted(WPARAM, LPARAM) {
        handled.push_back(WM_PROBE_POSTED);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeButton, CButton)
    ON_MESSAGE(WM_PROBE_RENAMED, OnRenamed)
    ON_MESSAGE(WM_PROBE_POSTED, OnPosted)
END_MESSAGE_MAP()

class CProbeDialog : public CDialog {
public:
    explicit CProbeDialog(UINT nID = IDD_PROBE, CWnd* pParent = NULL) : CDialog(nID, pParent) {}

    // What the test wants done once the dialog runs.
    std::function<void(CProbeDialog&)> onInit;

    CProbeStatic m_label;
    CProbeButton m_button;
    CProgressCtrl m_progress;
    CString m_strEdit; // what the edit box held when OK came

    int initCalls = 0, okCalls = 0, cancelCalls = 0, destroyCalls = 0;
    bool visibleInLoop = false;
    bool ownerEnabledInLoop = true;
    HWND ownerAtInit = NULL;
    std::vector<UINT> dialogPretranslated;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message >= WM_APP)
            dialogPretranslated.push_back(pMsg->message);
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_LABEL, m_label);
        DDX_Control(pDX, IDC_BUTTON, m_button);
        if (GetDlgItem(IDC_PROGRESS) != NULL)
            DDX_Control(pDX, IDC_PROGRESS, m_progress);
    }
    BOOL OnInitDialog() override {
        ++initCalls;
        CDialog::OnInitDialog();
        ownerAtInit = ::GetWindow(m_hWnd, GW_OWNER);
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void OnOK() override {
        ++okCalls;
        GetDlgItemText(IDC_EDIT, m_strEdit);
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancelCalls;
        CDialog::OnCancel();
    }
    afx_msg void OnDestroy() {
        ++destroyCalls;
        CDialog::OnDestroy();
    }
    afx_msg LRESULT OnProbeEnd(WPARAM wParam, LPARAM) {
        visibleInLoop = ::IsWindowVisible(m_hWnd) != FALSE;
        if (ownerAtInit != NULL)
            ownerEnabledInLoop = ::IsWindowEnabled(ownerAtInit) != FALSE;
        EndDialog((int)wParam);
        return 0;
    }
    afx_msg LRESULT OnProbeQuit(WPARAM, LPARAM) {
        PostQuitMessage(0);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_PROBE_END, OnProbeEnd)
    ON_MESSAGE(WM_PROBE_QUIT, OnProbeQuit)
END_MESSAGE_MAP()

bool QuitQueued() {
    MSG msg;
    return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

} // namespace

TEST(Dialog, EndDialogEndsTheRunAndDestroysTheWindow) {
    CProbeDialog dlg;
    HWND hWnd = NULL;
    dlg.onInit = [&](CProbeDialog& d) {
        hWnd = d.m_hWnd;
        ::PostMessageA(d.m_hWnd, WM_PROBE_END, 42, 0);
    };
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.initCalls, 1);
    EXPECT_TRUE(dlg.visibleInLoop); // the template is hidden: the loop showed it after OnInitDialog
    EXPECT_EQ(dlg.destroyCalls, 1);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dlg.m_label.m_hWnd, (HWND)NULL); // the controls went with it
}

TEST(Dialog, DataExchangeBindsTheTemplateControls) {
    CProbeDialog dlg;
    HWND hWndLabel = NULL;
    bool routed = false, progressWorks = false;
    dlg.onInit = [&](CProbeDialog& d) {
        hWndLabel = ::GetDlgItem(d.m_hWnd, IDC_LABEL);
        routed = (WNDPROC)GetWindowLongPtrA(hWndLabel, GWLP_WNDPROC) == &CWnd::WndProc &&
                 CWnd::FromHandlePermanent(hWndLabel) == &d.m_label &&
                 d.GetDlgItem(IDC_LABEL) == &d.m_label;
        d.m_progress.SetRange(0, 100);
        d.m_progress.SetPos(30);
        progressWorks = d.m_progress.SetPos(55) == 30 && d.m_progress.SendMessage(PBM_GETPOS) == 55;
        ::PostMessageA(d.m_hWnd, WM_PROBE_END, IDOK, 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_label.preSubclass, 1);
    EXPECT_EQ(dlg.m_label.hWndAtPreSubclass, hWndLabel); // bound before PreSubclassWindow...
    EXPECT_TRUE(dlg.m_label.procWasOriginal);            // ...and routed only after it
    EXPECT_TRUE(routed);
    EXPECT_TRUE(progressWorks); // progress bars in templates: the common controls were loaded
}

TEST(Dialog, QuitMessageEndsTheRun) {
    CProbeDialog dlg;
    HWND hWnd = NULL;
    dlg.onInit = [&](CProbeDialog& d) {
        hWnd = d.m_hWnd;
        ::PostMessageA(d.m_hWnd, WM_PROBE_QUIT, 0, 0);
    };
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.destroyCalls, 1);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_FALSE(QuitQueued()); // taken by the dialog's run, not posted again
}

TEST(Dialog, ControlsSeeTheirQueuedMessagesBeforeDispatch) {
    CProbeDialog dlg;
    dlg.onInit = [](CProbeDialog& d) {
        ::PostMessageA(d.m_button.m_hWnd, WM_PROBE_POSTED, 0, 0);
        ::PostMessageA(d.m_hWnd, WM_PROBE_END, IDOK, 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_button.pretranslated, (std::vector<UINT>{WM_PROBE_POSTED}));
    // The control changed the message in place and the changed one was dispatched.
    EXPECT_EQ(dlg.m_button.handled, (std::vector<UINT>{WM_PROBE_RENAMED}));
    // Then the dialog saw it too (the control did not keep it), and its own message.
    EXPECT_EQ(dlg.dialogPretranslated, (std::vector<UINT>{WM_PROBE_RENAMED, WM_PROBE_END}));
}

TEST(Dialog, CloseRequestBecomesCancel) {
    for (UINT nID : {IDD_PROBE, IDD_NO_CANCEL}) {
        SCOPED_TRACE(nID);
        CProbeDialog byClose(nID);
        byClose.onInit = [](CProbeDialog& d) { ::PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0); };
        EXPECT_EQ(byClose.DoModal(), IDCANCEL);
        EXPECT_EQ(byClose.cancelCalls, 1);
        EXPECT_EQ(byClose.okCalls, 0);

        CProbeDialog bySysMenu(nID);
        bySysMenu.onInit = [](CProbeDialog& d) { ::PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); };
        EXPECT_EQ(bySysMenu.DoModal(), IDCANCEL);
        EXPECT_EQ(bySysMenu.cancelCalls, 1);
    }
}

TEST(Dialog, DialogKeys) {
    CProbeDialog escape;
    escape.onInit = [](CProbeDialog& d) {
        d.GetDlgItem(IDC_EDIT)->SetFocus();
        ::PostMessageA(::GetDlgItem(d.m_hWnd, IDC_EDIT), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
    EXPECT_EQ(escape.DoModal(), IDCANCEL);
    EXPECT_EQ(escape.cancelCalls, 1);

    // Enter: OnOK, with the controls still there to be read, then the end.
    CProbeDialog enter;
    enter.onInit = [&](CProbeDialog& d) {
        d.SetDlgItemText(IDC_EDIT, "after");
        d.GetDlgItem(IDC_EDIT)->SetFocus();
        ::PostMessageA(::GetDlgItem(d.m_hWnd, IDC_EDIT), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    };
    EXPECT_EQ(enter.DoModal(), IDOK);
    EXPECT_EQ(enter.okCalls, 1);
    EXPECT_STREQ(enter.m_strEdit, "after");
}

TEST(Dialog, OwnerIsDisabledWhileTheDialogRuns) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, NULL, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, NULL, NULL));
    CProbeDialog dlg(IDD_PROBE, &owner);
    dlg.onInit = [](CProbeDialog& d) { ::PostMessageA(d.m_hWnd, WM_PROBE_END, 7, 0); };
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.ownerAtInit, owner.m_hWnd);
    EXPECT_FALSE(dlg.ownerEnabledInLoop);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(Dialog, TabOrderAndFocus) {
    CProbeDialog dlg;
    // Objects for unbound controls are temporaries: read them inside the run.
    int afterButton = 0, beforeEdit = 0;
    CWnd* focus = NULL;
    dlg.onInit = [&](CProbeDialog& d) {
        afterButton = ::GetDlgCtrlID(d.GetNextDlgTabItem(&d.m_button)->m_hWnd);
        d.m_button.SetFocus();
        focus = CWnd::FromHandle(::GetFocus());
        // Wraps to the last stop.
        beforeEdit = ::GetDlgCtrlID(d.GetNextDlgTabItem(d.GetDlgItem(IDC_EDIT), TRUE)->m_hWnd);
        ::PostMessageA(d.m_hWnd, WM_PROBE_END, IDOK, 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(afterButton, IDC_BUTTON2);
    EXPECT_EQ(focus, &dlg.m_button);
    EXPECT_EQ(beforeEdit, IDCANCEL);
}

TEST(Dialog, EndDialogDuringInitNeverShowsTheWindow) {
    CProbeDialog dlg;
    bool shown = true;
    dlg.onInit = [&](CProbeDialog& d) {
        d.EndDialog(5);
        shown = ::IsWindowVisible(d.m_hWnd) != FALSE;
    };
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_FALSE(shown);
    EXPECT_EQ(dlg.destroyCalls, 1);
}

TEST(Dialog, MissingTemplateFailsCleanly) {
    CProbeDialog dlg(IDD_MISSING);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.initCalls, 0);
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
}
