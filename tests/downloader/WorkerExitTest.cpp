// How the worker ends the process or is ended with it, each case run in a child process:
// quitting during a download, with the server still sending or stalled, and a failed write.
#include "DownloadTestKit.h"
#include "engine/Language.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {

const char* QUIT_URL_NAME = "WorkerExitTest.Quit";

std::string ResultFile(const std::string& folder)
{
    return folder + "\\result.txt";
}

// Child side of the quit tests: state for the timer callback.
std::string g_partPath;
long long g_quitThreshold = 0;
DWORD g_quitAt = 0;

void CALLBACK QuitWhenThePartGrows(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    if (SizeOf(g_partPath) < g_quitThreshold)
        return;
    KillTimer(hwnd, id);
    g_quitAt = GetTickCount();
    // The QUIT button, as the user presses it.
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_QUIT, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, IDC_QUIT));
}

// Runs the main window modally with a worker on big.bin, quits once the ".part" holds
// `threshold` bytes, and writes what it saw into result.txt.
void RunQuitChild(const std::string& folder, const std::string& file, long long threshold)
{
    SetCurrentDirectoryA(folder.c_str());
    g_bFrench = 0;
    PauseRecorder waits(10);
    FaultServer server(QUIT_URL_NAME);
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(folder + "\\" + file, server.Url(file), ReadAll(folder + "\\md5.txt")));
    g_partPath = folder + "\\" + file + ".part";
    g_quitThreshold = threshold;

    CTestLauncherDlg dlg;
    dlg.m_pUpdater->m_strHost = FaultServer::Host();
    int posted = 0;
    dlg.m_onInit = [&] {
        dlg.m_pUpdater->Start(&context);
        SetTimer(dlg.GetSafeHwnd(), 1, 10, QuitWhenThePartGrows);
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
    RunQuitChild(ChildArgument(), "big.bin", 100000);
}

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_QuitWhileTheServerStalls)
{
    RunQuitChild(ChildArgument(), "stalled.bin", 0);
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
