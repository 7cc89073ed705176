// How the worker ends the process or is ended with it, each case run in a child process:
// quitting during a download (the server still sending or stalled) or while the worker asks to retry, and a failed write.
#include "DownloadTestKit.h"
#include "engine/Language.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>

namespace {

const char* QUIT_URL_NAME = "WorkerExitTest.Quit";

std::string ResultFile(const std::string& folder)
{
    return folder + "\\result.txt";
}

// Child side of the quit tests: state for the timer callback.
DWORD g_quitAt = 0;
std::function<bool()> g_quitWhen;

void CALLBACK QuitWhenReady(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    if (!g_quitWhen())
        return;
    KillTimer(hwnd, id);
    g_quitAt = GetTickCount();
    // The QUIT button, as the user presses it.
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_QUIT, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, IDC_QUIT));
}

struct BoxFound {
    HWND box;
    std::string text;
};

BOOL CALLBACK FindStaticText(HWND child, LPARAM param)
{
    char className[16] = "", text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    std::string& found = reinterpret_cast<BoxFound*>(param)->text;
    if (lstrcmpiA(className, "Static") == 0 && text[0] && found.empty())
        found = text;
    return TRUE;
}

BOOL CALLBACK FindVisibleBox(HWND hwnd, LPARAM param)
{
    char className[16] = "";
    GetClassNameA(hwnd, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    BoxFound* found = reinterpret_cast<BoxFound*>(param);
    found->box = hwnd;
    EnumChildWindows(hwnd, FindStaticText, param);
    return FALSE;
}

// The message box that the worker thread shows, if any.
BoxFound WorkerBox(CUpdater& updater)
{
    BoxFound found = {NULL, std::string()};
    if (updater.m_pThread)
        EnumThreadWindows(updater.m_pThread->m_nThreadID, FindVisibleBox, (LPARAM)&found);
    return found;
}

// Runs the main window modally with a worker on `file`, quits once `quitWhen` says so, and
// writes what it saw into result.txt.
void RunQuitChild(const std::string& folder, const std::string& file, const std::function<bool(CUpdater&)>& quitWhen)
{
    SetCurrentDirectoryA(folder.c_str());
    g_bFrench = 0;
    PauseRecorder waits(10);
    FaultServer server(QUIT_URL_NAME);
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(folder + "\\" + file, server.Url(file), ReadAll(folder + "\\md5.txt")));
    CTestLauncherDlg dlg;
    dlg.m_pUpdater->m_strHost = FaultServer::Host();
    g_quitWhen = [&] { return quitWhen(*dlg.m_pUpdater); };
    int posted = 0;
    dlg.m_onInit = [&] {
        dlg.m_pUpdater->Start(&context);
        SetTimer(dlg.GetSafeHwnd(), 1, 10, QuitWhenReady);
    };
    dlg.m_onDestroy = [&] {
        MSG msg;
        posted = dlg.m_nDonePosted + dlg.m_nFailedPosted +
                 (PeekMessageA(&msg, dlg.GetSafeHwnd(), WM_UPDATE_DONE, WM_UPDATE_FAILED, PM_REMOVE) ? 1 : 0);
    };
    dlg.DoModal();
    DWORD elapsed = GetTickCount() - g_quitAt;
    if (FILE* f = fopen(ResultFile(folder).c_str(), "w")) {
        fprintf(f, "%d %lu %d\n", g_quitAt ? 1 : 0, (unsigned long)elapsed, posted);
        fclose(f);
    }
}

struct QuitResult {
    int exitCode;
    int quit;
    unsigned long elapsedMs;
    int posted;
};

QuitResult RunQuit(GameFolder& folder, const std::string& testName, const std::string& data)
{
    WriteAll(folder.File("md5.txt"), Md5Of(data));
    QuitResult result = {RunChild(testName, folder.Path(), 60000), 0, 0, 0};
    std::string text = ReadAll(ResultFile(folder.Path()));
    sscanf(text.c_str(), "%d %lu %d", &result.quit, &result.elapsedMs, &result.posted);
    return result;
}

} // namespace

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_QuitWhileReceiving)
{
    std::string part = ChildArgument() + "\\big.bin.part";
    RunQuitChild(ChildArgument(), "big.bin", [part](CUpdater&) { return SizeOf(part) >= 100000; });
}

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_QuitWhileTheServerStalls)
{
    std::string part = ChildArgument() + "\\stalled.bin.part";
    RunQuitChild(ChildArgument(), "stalled.bin", [part](CUpdater&) { return SizeOf(part) >= 0; });
}

// Run by WorkerExitTest in a child process only: the user answers the error box, then quits
// while the Retry/Cancel question is open.
TEST(WorkerExitChild, DISABLED_QuitWhileTheQuestionIsOpen)
{
    RunQuitChild(ChildArgument(), "missing.bin", [](CUpdater& updater) {
        BoxFound found = WorkerBox(updater);
        if (found.box && found.text.find("RESULT: 4") != std::string::npos)
            PostMessageA(found.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(found.box, IDOK));
        return found.box && found.text == "Update interrupted. Retry?";
    });
}

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_WriteFailure)
{
    std::string folder = ChildArgument();
    SetCurrentDirectoryA(folder.c_str());
    g_bFrench = 0;
    FaultServer server("WorkerExitTest.Write");
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(folder + "\\locked.bin", server.Url("locked.bin")));
    // Held open without any sharing: it can be neither deleted nor renamed.
    HANDLE locked = CreateFileA((folder + "\\locked.bin").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    BoxAnswerer user({IDOK}, folder + "\\boxes.txt");
    CTestLauncherDlg dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.m_pUpdater->m_strHost = FaultServer::Host();
    dlg.RunWorker(&context, 60000);
    // Only reached when the worker did not end the process.
    WriteAll(ResultFile(folder), "window got a message\n");
    ExitProcess(3);
}

TEST(WorkerExitTest, QuittingDuringADownloadStopsTheWorkerPromptlyAndKeepsThePart)
{
    GameFolder folder;
    FaultServer server(QUIT_URL_NAME);
    std::string data = RandomBytes(4 * 1024 * 1024, 50);
    server.Publish("big.bin", data);
    server.SetRules({"big.bin slow 16384 30"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileReceiving", data);

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    long long kept = SizeOf(folder.File("big.bin.part"));
    EXPECT_GE(kept, 100000);
    EXPECT_LT(kept, (long long)data.size());
    EXPECT_TRUE(ReadAll(folder.File("big.bin.part")) == data.substr(0, (size_t)kept));
    EXPECT_FALSE(Exists(folder.File("big.bin")));
    std::string log = folder.Log();
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
    EXPECT_EQ(std::string::npos, log.find("CODE:")) << "no error box while quitting";
}

TEST(WorkerExitTest, QuittingWhileTheServerStallsStillEndsTheProcessPromptly)
{
    GameFolder folder;
    FaultServer server(QUIT_URL_NAME);
    std::string data = RandomBytes(256 * 1024, 51);
    server.Publish("stalled.bin", data);
    server.SetRules({"stalled.bin slow 16384 60000"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheServerStalls", data);

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    EXPECT_TRUE(Exists(folder.File("stalled.bin.part")));
    EXPECT_FALSE(Exists(folder.File("stalled.bin")));
}

TEST(WorkerExitTest, QuittingWhileTheWorkersQuestionIsOpenClosesItAndPostsNothing)
{
    GameFolder folder;
    FaultServer server(QUIT_URL_NAME);
    server.SetRules({"missing.bin status 404"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheQuestionIsOpen", "");

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    EXPECT_EQ(1u, server.Requests("missing.bin").size());
    std::string log = folder.Log();
    EXPECT_NE(std::string::npos, log.find("File not found on the server\r\nCODE: "));
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
}

TEST(WorkerExitTest, WriteFailureShowsItsBoxThenEndsTheProcessWithCode1)
{
    GameFolder folder;
    FaultServer server("WorkerExitTest.Write");
    std::string data = RandomBytes(3000, 52);
    server.Publish("locked.bin", data);
    ASSERT_TRUE(WriteAll(folder.File("locked.bin"), "in use"));

    int code = RunChild("WorkerExitChild.DISABLED_WriteFailure", folder.Path(), 60000);

    EXPECT_EQ(1, code);
    EXPECT_FALSE(Exists(folder.File("result.txt"))) << ReadAll(folder.File("result.txt"));
    std::string boxes = ReadAll(folder.File("boxes.txt"));
    EXPECT_EQ(0u, boxes.find("Disk full or file locked\nCODE: ")) << boxes;
    EXPECT_NE(std::string::npos, boxes.find(" RESULT: 8\n--\n")) << boxes;
    EXPECT_EQ(std::string::npos, boxes.find("Retry?")) << "no question after a write failure";
    EXPECT_EQ("in use", ReadAll(folder.File("locked.bin")));
    EXPECT_TRUE(ReadAll(folder.File("locked.bin.part")) == data);
    std::string log = folder.Log();
    EXPECT_NE(std::string::npos, log.find(server.Url("locked.bin") + ": MoveFile failed ("));
    // The log is a text file: the box's line break is written as CR LF.
    EXPECT_NE(std::string::npos, log.find("Disk full or file locked\r\nCODE: "));
}
