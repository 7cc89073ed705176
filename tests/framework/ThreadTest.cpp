// Worker threads, and what the UI thread does for them while it runs a dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "TestWindows.h"
#include "test_resource.h"

namespace {

std::atomic<int> g_ran;

UINT SetFlagProc(LPVOID pParam) {
    g_ran = *(int*)pParam;
    return 17;
}

// --- a worker that talks to a dialog the UI thread runs modally

const UINT WM_WORKER_ASK = WM_APP + 30;  // sent: answers wParam * 2
const UINT WM_WORKER_DONE = WM_APP + 31; // posted last: the dialog joins the worker and ends

struct BoxSeen {
    std::string title;
    HWND owner = (HWND)-1;
    int answer = 0;
    bool dialogEnabledMeanwhile = false;
};

class CWorkerDialog : public CDialog {
public:
    CWorkerDialog() : CDialog(IDD_PROBE) {}

    CStatic m_label;
    CWinThread* m_pWorker = NULL;
    bool askBox = false;
    DWORD uiThread = GetCurrentThreadId();
    std::vector<DWORD> handlerThreads;
    LRESULT answerToWorker = 0;
    CString labelAfterWorker;
    BoxSeen box;
    DWORD joinResult = WAIT_FAILED;

    static UINT WorkerProc(LPVOID pParam) {
        CWorkerDialog* pDlg = (CWorkerDialog*)pParam;
        // Blocks until the UI thread, inside its modal loop, has run the handler.
        pDlg->answerToWorker = ::SendMessageA(pDlg->m_hWnd, WM_WORKER_ASK, 21, 0);
        pDlg->m_label.SetWindowText("from the worker");
        if (pDlg->askBox)
            pDlg->box.answer = AfxMessageBox("Mise à jour interrompue. Réessayer ?", MB_RETRYCANCEL | MB_ICONQUESTION);
        ::PostMessageA(pDlg->m_hWnd, WM_WORKER_DONE, 0, 0);
        return 0;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_LABEL, m_label); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_pWorker = AfxBeginThread(WorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (m_pWorker == NULL) {
            EndDialog(-2);
            return TRUE;
        }
        m_pWorker->m_bAutoDelete = FALSE;
        m_pWorker->ResumeThread();
        if (askBox)
            SetTimer(1, 20, NULL);
        return TRUE;
    }
    afx_msg LRESULT OnAsk(WPARAM wParam, LPARAM) {
        handlerThreads.push_back(GetCurrentThreadId());
        return (LRESULT)wParam * 2;
    }
    afx_msg LRESULT OnDone(WPARAM, LPARAM) {
        handlerThreads.push_back(GetCurrentThreadId());
        joinResult = WaitForSingleObject(m_pWorker->m_hThread, 5000);
        delete m_pWorker;
        m_pWorker = NULL;
        m_label.GetWindowText(labelAfterWorker);
        EndDialog(IDOK);
        return 0;
    }
    // The UI thread keeps running while the worker's box is up: find the box and answer it.
    afx_msg void OnTimer(UINT_PTR) {
        if (m_pWorker == NULL)
            return;
        HWND hWndBox = FindThreadBox(m_pWorker->m_nThreadID);
        if (hWndBox == NULL)
            return;
        KillTimer(1);
        char title[MAX_PATH] = "";
        ::GetWindowTextA(hWndBox, title, sizeof(title));
        box.title = title;
        box.owner = ::GetWindow(hWndBox, GW_OWNER);
        box.dialogEnabledMeanwhile = IsWindowEnabled() != FALSE;
        ::PostMessageA(hWndBox, WM_COMMAND, IDCANCEL, 0);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CWorkerDialog, CDialog)
    ON_MESSAGE(WM_WORKER_ASK, OnAsk)
    ON_MESSAGE(WM_WORKER_DONE, OnDone)
    ON_WM_TIMER()
END_MESSAGE_MAP()

} // namespace

TEST(Thread, SuspendedThreadKeptUntilJoined) {
    g_ran = 0;
    int value = 5;
    CWinThread* pThread = AfxBeginThread(SetFlagProc, &value, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, (CWinThread*)NULL);
    ASSERT_NE(pThread->m_hThread, (HANDLE)NULL);
    EXPECT_NE(pThread->m_nThreadID, 0u);
    EXPECT_EQ(WaitForSingleObject(pThread->m_hThread, 0), (DWORD)WAIT_TIMEOUT); // not running yet
    EXPECT_EQ(g_ran, 0);
    EXPECT_EQ(::GetThreadPriority(pThread->m_hThread), THREAD_PRIORITY_BELOW_NORMAL);

    pThread->m_bAutoDelete = FALSE;
    EXPECT_EQ(pThread->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(pThread->m_hThread, 5000), (DWORD)WAIT_OBJECT_0);
    EXPECT_EQ(g_ran, 5);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(pThread->m_hThread, &code)); // the handle outlives the thread
    EXPECT_EQ(code, 17u);
    delete pThread;
}

TEST(Thread, AutoDeleteClosesTheHandleWhenTheThreadEnds) {
    g_ran = 0;
    int value = 9;
    CWinThread* pThread = AfxBeginThread(SetFlagProc, &value, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, (CWinThread*)NULL);
    HANDLE hOwn = pThread->m_hThread;
    HANDLE hWatch = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), hOwn, GetCurrentProcess(), &hWatch, SYNCHRONIZE, FALSE, 0));
    pThread->ResumeThread(); // m_bAutoDelete stays TRUE: the object is gone once the thread ends
    ASSERT_EQ(WaitForSingleObject(hWatch, 5000), (DWORD)WAIT_OBJECT_0);
    EXPECT_EQ(g_ran, 9);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(hOwn, &flags));
    CloseHandle(hWatch);
}

TEST(Thread, WorkerSendsToTheDialogDuringItsModalRun) {
    CWorkerDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.answerToWorker, 42);
    EXPECT_EQ(dlg.handlerThreads, (std::vector<DWORD>{dlg.uiThread, dlg.uiThread}));
    EXPECT_STREQ(dlg.labelAfterWorker, "from the worker");
    EXPECT_EQ(dlg.joinResult, (DWORD)WAIT_OBJECT_0);
}

TEST(Thread, WorkerMessageBoxOwnedByNothingWhileTheDialogRuns) {
    CWorkerDialog dlg;
    dlg.askBox = true;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.box.title, std::string(ExpectedExeTitle()));
    EXPECT_EQ(dlg.box.owner, (HWND)NULL);
    EXPECT_TRUE(dlg.box.dialogEnabledMeanwhile);
    EXPECT_EQ(dlg.box.answer, IDCANCEL);
    EXPECT_EQ(dlg.joinResult, (DWORD)WAIT_OBJECT_0);
}
