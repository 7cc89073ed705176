// Worker threads: CWinThread owns the thread handle; AfxBeginThread starts a function on one.
#pragma once

#include <windows.h>

#include "framework/CmdTarget.h"

class CWnd;

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override; // closes the thread handle

    // Starts the thread (suspended with CREATE_SUSPENDED).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = NULL);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority);

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The thread's message loop (for threads that have one); ends on WM_QUIT with its exit code.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);
    // Deletes the object at the thread's end when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    // TRUE (the default): the object deletes itself, and closes the handle, when the thread ends.
    // Whoever wants to wait for the thread sets it to FALSE before the thread can end (start it
    // suspended) and deletes the object after the wait.
    BOOL m_bAutoDelete;
    CWnd* m_pMainWnd;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

    DECLARE_MESSAGE_MAP()

private:
    static unsigned __stdcall ThreadEntry(void* pThis);
};

// Runs pfnThreadProc(pParam) on a new thread; NULL when the thread could not be made.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = NULL);
