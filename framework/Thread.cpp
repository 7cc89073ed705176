#include "framework/Thread.h"

#include <process.h>

#include "framework/Wnd.h"

CWinThread::CWinThread()
    : m_hThread(NULL), m_nThreadID(0), m_bAutoDelete(TRUE), m_pMainWnd(NULL), m_pfnThreadProc(NULL),
      m_pThreadParams(NULL) {}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) : CWinThread() {
    m_pfnThreadProc = pfnThreadProc;
    m_pThreadParams = pParam;
}

CWinThread::~CWinThread() {
    if (m_hThread != NULL)
        CloseHandle(m_hThread);
}

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

unsigned __stdcall CWinThread::ThreadEntry(void* pThis) {
    CWinThread* pThread = static_cast<CWinThread*>(pThis);
    UINT code;
    if (pThread->m_pfnThreadProc != NULL)
        code = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
    else
        code = pThread->InitInstance() ? (UINT)pThread->Run() : (UINT)pThread->ExitInstance();
    AfxDeleteTempMap();
    pThread->Delete();
    return code;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (m_hThread != NULL)
        return FALSE;
    unsigned id = 0;
    // Always suspended at first, so that the handle and id are stored before the thread can end.
    uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                 dwCreateFlags | CREATE_SUSPENDED, &id);
    if (h == 0)
        return FALSE;
    m_hThread = (HANDLE)h;
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return 0; }
BOOL CWinThread::PreTranslateMessage(MSG* pMsg) { return AfxPreTranslateMessage(pMsg); }
BOOL CWinThread::OnIdle(LONG) {
    AfxDeleteTempMap();
    return FALSE;
}

int CWinThread::Run() {
    MSG msg;
    for (;;) {
        if (!::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
            OnIdle(0);
        BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    int code = ExitInstance();
    return msg.message == WM_QUIT && code == 0 ? (int)msg.wParam : code;
}

void CWinThread::Delete() {
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (pfnThreadProc == NULL)
        return NULL;
    CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete pThread;
        return NULL;
    }
    pThread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}
