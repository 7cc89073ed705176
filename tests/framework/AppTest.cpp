// The application object, the program entry and message boxes on the UI thread.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TestWindows.h"

namespace {

class CProbeApp : public CWinApp {
public:
    explicit CProbeApp(LPCTSTR name = NULL) : CWinApp(name) {}
    BOOL initResult = FALSE;
    int exitCode = 0;
    int inits = 0, exits = 0, runs = 0;
    std::string cmdLineSeen;
    bool leaveDeadMainWindow = false;

    BOOL InitInstance() override {
        ++inits;
        cmdLineSeen = m_lpCmdLine;
        if (leaveDeadMainWindow) {
            // As the launcher: the main window lives on InitInstance's stack and is gone on return.
            CWnd window;
            window.CreateEx(0, NULL, "main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL);
            m_pMainWnd = &window;
        }
        if (initResult)
            PostQuitMessage(3);
        return initResult;
    }
    int ExitInstance() override {
        ++exits;
        CWinApp::ExitInstance();
        return exitCode;
    }
    int Run() override {
        ++runs;
        return CWinApp::Run();
    }
};

// Answers the next message box of a thread and tells its title and owner.
struct BoxWatch {
    std::string title;
    HWND owner = (HWND)-1;
    bool found = false;
    std::thread thread;

    explicit BoxWatch(DWORD threadId) {
        thread = std::thread([this, threadId] {
            DWORD start = GetTickCount();
            while (GetTickCount() - start < 5000) {
                HWND hWndBox = FindThreadBox(threadId);
                if (hWndBox != NULL) {
                    char text[MAX_PATH] = "";
                    GetWindowTextA(hWndBox, text, sizeof(text));
                    title = text;
                    owner = GetWindow(hWndBox, GW_OWNER);
                    found = true;
                    PostMessageA(hWndBox, WM_COMMAND, IDOK, 0);
                    return;
                }
                Sleep(10);
            }
        });
    }
    void Join() { thread.join(); }
};

} // namespace

TEST(App, FailedInitInstanceEndsThroughExitInstanceWithoutRun) {
    CProbeApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    app.exitCode = 7;
    char cmdLine[] = "/installe \"C:\\x.exe\"";
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(NULL), NULL, cmdLine, SW_SHOWNORMAL), 7);
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(app.runs, 0);
    EXPECT_EQ(app.cmdLineSeen, "/installe \"C:\\x.exe\"");
}

TEST(App, MainWindowGoneWithItsObjectIsForgotten) {
    CProbeApp app;
    app.leaveDeadMainWindow = true;
    char cmdLine[] = "";
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(NULL), NULL, cmdLine, SW_SHOWNORMAL), 0);
    EXPECT_EQ(app.m_pMainWnd, (CWnd*)NULL);
    EXPECT_EQ(AfxGetMainWnd(), (CWnd*)NULL);
}

TEST(App, SuccessfulInitInstanceRunsTheLoopUntilQuit) {
    CProbeApp app;
    app.initResult = TRUE;
    char cmdLine[] = "";
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(NULL), NULL, cmdLine, SW_SHOWNORMAL), 3);
    EXPECT_EQ(app.runs, 1);
    EXPECT_EQ(app.exits, 1);
}

TEST(App, NamesAndStandIn) {
    CWinApp* pStandIn = AfxGetApp(); // no application object here: the framework's own
    ASSERT_NE(pStandIn, (CWinApp*)NULL);
    EXPECT_STREQ(pStandIn->m_pszAppName, ExpectedExeTitle());
    EXPECT_STREQ(AfxGetAppName(), ExpectedExeTitle());
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(NULL));
    {
        CProbeApp named("Velmora");
        EXPECT_EQ(AfxGetApp(), &named);
        EXPECT_STREQ(named.m_pszAppName, "Velmora");
    }
    EXPECT_EQ(AfxGetApp(), pStandIn);
}

TEST(App, WaitCursorNestsAndRestores) {
    HCURSOR hArrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    HCURSOR hWait = LoadCursorA(NULL, (LPCSTR)IDC_WAIT);
    SetCursor(hArrow);
    CWinApp* pApp = AfxGetApp();
    pApp->BeginWaitCursor();
    EXPECT_EQ(GetCursor(), hWait);
    pApp->BeginWaitCursor();
    pApp->EndWaitCursor();
    EXPECT_EQ(GetCursor(), hWait); // one still open
    pApp->EndWaitCursor();
    EXPECT_EQ(GetCursor(), hArrow);
    pApp->EndWaitCursor(); // unbalanced: no effect
    EXPECT_EQ(GetCursor(), hArrow);
}

TEST(App, MessageBoxTitleAndOwnerOnTheUiThread) {
    CProbeApp app;
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, NULL, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, NULL, NULL));
    app.m_pMainWnd = &main;

    BoxWatch watch(GetCurrentThreadId());
    EXPECT_EQ(AfxMessageBox("Le lanceur de Velmora World est déjà ouvert."), IDOK);
    watch.Join();
    ASSERT_TRUE(watch.found);
    EXPECT_EQ(watch.title, std::string(ExpectedExeTitle()));
    EXPECT_EQ(watch.owner, main.m_hWnd);
    EXPECT_TRUE(main.IsWindowEnabled()); // given back after the box
    app.m_pMainWnd = NULL;
}

TEST(App, MessageBoxWithoutWindowsHasNoOwner) {
    CProbeApp app;
    BoxWatch watch(GetCurrentThreadId());
    EXPECT_EQ(AfxMessageBox("x", MB_OK), IDOK);
    watch.Join();
    ASSERT_TRUE(watch.found);
    EXPECT_EQ(watch.title, std::string(ExpectedExeTitle()));
    EXPECT_EQ(watch.owner, (HWND)NULL);
}

namespace {

class CThrowingWnd : public CWnd {
protected:
    afx_msg LRESULT OnFail(WPARAM, LPARAM) {
        AfxThrowMemoryException();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_MESSAGE(WM_APP + 50, OnFail)
END_MESSAGE_MAP()

} // namespace

TEST(App, HandlerFailureIsShownAndTheWindowLivesOn) {
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "thrower", WS_OVERLAPPEDWINDOW, 20, 20, 200, 100, NULL, NULL));
    BoxWatch watch(GetCurrentThreadId());
    EXPECT_EQ(wnd.SendMessage(WM_APP + 50), 0);
    watch.Join();
    EXPECT_TRUE(watch.found); // the failure was told to the user
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 3), 0); // and it still dispatches
}
