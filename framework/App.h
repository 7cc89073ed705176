// The application object and the program entry.
//
// The program defines one global CWinApp-derived object; the entry point (WinMain, below) fills in
// its command line, calls InitInstance and, when that returns FALSE, ExitInstance, and
// ends the process with ExitInstance's result (Run is then never entered).
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "framework/Thread.h"

class CWnd;

class CWinApp : public CWinThread {
public:
    // lpszAppName NULL: the executable's file name without its extension.
    explicit CWinApp(LPCTSTR lpszAppName = NULL);
    ~CWinApp() override;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;

    // nCode 1 begins a wait cursor, -1 ends one.
    virtual void DoWaitCursor(int nCode);

    LPCTSTR m_pszAppName;
    LPTSTR m_lpCmdLine; // the command line after the program's own name

    DECLARE_MESSAGE_MAP()

private:
    char m_szAppName[MAX_PATH];
    int m_nWaitCursorCount;
    HCURSOR m_hcurWaitCursorRestore;
};

// The application object; a plain CWinApp of the framework's own when the program has none (tests).
CWinApp* AfxGetApp();
// The application's main window (m_pMainWnd), or NULL.
CWnd* AfxGetMainWnd();
// Where dialog templates, bitmaps, icons and the like are loaded from: the executable's module.
HINSTANCE AfxGetResourceHandle();
LPCTSTR AfxGetAppName();
// The body of WinMain, for the entry point and for tests.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The executable's file name without folder and extension.
CString AfxGetExeTitle();
