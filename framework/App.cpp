#include "framework/App.h"

#include "framework/Wnd.h"

#include <vector>

namespace {
CWinApp* g_pApp;      // the application object in force
CWinApp* g_pStandIn;  // made on demand when the program has none
char g_szEmptyCmdLine[1];
} // namespace

CWinApp* AfxGetAppIfAny() { return g_pApp; }

CWinApp* AfxGetApp() {
    if (g_pApp == NULL && g_pStandIn == NULL) {
        g_pStandIn = new CWinApp; // never freed: code may call AfxGetApp during static destruction
        g_pApp = NULL;            // a real application object made later takes over
    }
    return g_pApp ? g_pApp : g_pStandIn;
}

CWnd* AfxGetMainWnd() {
    CWinApp* pApp = g_pApp;
    return pApp ? pApp->m_pMainWnd : NULL;
}

HINSTANCE AfxGetResourceHandle() { return GetModuleHandleA(NULL); }
LPCTSTR AfxGetAppName() { return AfxGetApp()->m_pszAppName; }

CString AfxGetExeTitle() {
    // The wide call gives the whole path, however long; a cut one would end in part of the name.
    std::vector<WCHAR> path(32768);
    DWORD len = GetModuleFileNameW(NULL, path.data(), (DWORD)path.size());
    path[len < path.size() ? len : path.size() - 1] = L'\0';
    const WCHAR* name = path.data();
    for (const WCHAR* p = path.data(); *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    char ansiName[MAX_PATH] = "";
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, ansiName, sizeof ansiName, NULL, NULL))
        ansiName[0] = '\0';
    CString title(ansiName);
    int dot = title.ReverseFind('.');
    if (dot > 0)
        title = title.Left(dot);
    return title;
}

CWinApp::CWinApp(LPCTSTR lpszAppName)
    : m_pszAppName(m_szAppName), m_lpCmdLine(g_szEmptyCmdLine), m_nWaitCursorCount(0), m_hcurWaitCursorRestore(NULL) {
    lstrcpynA(m_szAppName, lpszAppName ? lpszAppName : (LPCSTR)AfxGetExeTitle(), sizeof(m_szAppName));
    m_nThreadID = GetCurrentThreadId();
    if (g_pApp == NULL)
        g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = NULL;
    if (g_pStandIn == this)
        g_pStandIn = NULL;
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
int CWinApp::Run() { return CWinThread::Run(); }

void CWinApp::DoWaitCursor(int nCode) {
    if (nCode > 0) {
        HCURSOR hcurPrev = ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
        if (m_nWaitCursorCount++ == 0)
            m_hcurWaitCursorRestore = hcurPrev;
    } else if (m_nWaitCursorCount > 0 && --m_nWaitCursorCount == 0) {
        ::SetCursor(m_hcurWaitCursorRestore);
    }
}

int AfxWinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int /*nCmdShow*/) {
    CWinApp* pApp = AfxGetApp();
    pApp->m_lpCmdLine = lpCmdLine ? lpCmdLine : g_szEmptyCmdLine;
    pApp->m_nThreadID = GetCurrentThreadId();
    if (!pApp->InitApplication() || !pApp->InitInstance()) {
        if (pApp->m_pMainWnd != NULL)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
