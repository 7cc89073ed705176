// How the worker ends the process or is ended with it, each case run in a child process:
// quitting during a download (the server still sending or stalled) or while the worker asks to retry, and a failed write.
#include "DownloadTestKit.h"
#include "engine/Language.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Content.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"
#include "tests/support/WindowSearch.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>

using namespace testsupport;
using ::testing::EndsWith;
using ::testing::StartsWith;

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

// The message box that the worker thread shows, if any.
HWND WorkerBox(CUpdater& updater)
{
    if (!updater.m_pThread)
        return NULL;
    DWORD worker = updater.m_pThread->m_nThreadID;
    return FindTopWindow([worker](HWND w) { return GetWindowThreadProcessId(w, NULL) == worker && IsMessageBox(w); });
}

// Runs the main window modally with a worker on `file`, quits once `quitWhen` says so, and
// writes what it saw into result.txt.
void RunQuitChild(const std::string& folder, const std::string& file, const std::function<bool(CUpdater&)>& quitWhen)
{
    SetCurrentDirectoryA(folder.c_str());
    g_bFrench = 0;
    WaitRecorder waits(10);
    FaultServer server(QUIT_URL_NAME);
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(folder + "\\" + file, server.Url(file), ReadWholeFile(folder + "\\md5.txt")));
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

QuitResult RunQuit(CurrentFolder& folder, const std::string& testName, const std::string& data)
{
    WriteWholeFile(folder.Path("md5.txt"), Md5Of(data));
    QuitResult result = {-1, 0, 0, 0};
    ChildProcess child;
    DWORD exitCode = 0;
    if (StartTestInChild(child, testName, folder.Path()) && child.Wait(60000, exitCode))
        result.exitCode = (int)exitCode;
    std::string text = ReadWholeFile(ResultFile(folder.Path()));
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
        HWND box = WorkerBox(updater);
        std::string text = box ? BoxText(box) : std::string();
        if (text.find("RESULT: 4") != std::string::npos)
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
        return text == "Update interrupted. Retry?";
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
    CTestLauncherDlg dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.m_pUpdater->m_strHost = FaultServer::Host();
    dlg.RunWorker(&context, 60000);
    // Only reached when the worker did not end the process.
    WriteWholeFile(ResultFile(folder), "window got a message\n");
    ExitProcess(3);
}

TEST(WorkerExitTest, QuittingDuringADownloadStopsTheWorkerPromptlyAndKeepsThePart)
{
    CurrentFolder folder;
    FaultServer server(QUIT_URL_NAME);
    std::string data = server.PublishRandom("big.bin", 4 * 1024 * 1024, 50);
    server.SetRules({"big.bin slow 16384 30"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileReceiving", data);

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    long long kept = SizeOf(folder.Path("big.bin.part"));
    EXPECT_GE(kept, 100000);
    EXPECT_LT(kept, (long long)data.size());
    EXPECT_TRUE(ReadWholeFile(folder.Path("big.bin.part")) == data.substr(0, (size_t)kept));
    EXPECT_FALSE(FileExists(folder.Path("big.bin")));
    std::string log = LogText(folder.Path());
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
    EXPECT_EQ(std::string::npos, log.find("CODE:")) << "no error box while quitting";
}

TEST(WorkerExitTest, QuittingWhileTheServerStallsStillEndsTheProcessPromptly)
{
    CurrentFolder folder;
    FaultServer server(QUIT_URL_NAME);
    std::string data = server.PublishRandom("stalled.bin", 256 * 1024, 51);
    server.SetRules({"stalled.bin slow 16384 60000"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheServerStalls", data);

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    EXPECT_TRUE(FileExists(folder.Path("stalled.bin.part")));
    EXPECT_FALSE(FileExists(folder.Path("stalled.bin")));
}

TEST(WorkerExitTest, QuittingWhileTheWorkersQuestionIsOpenClosesItAndPostsNothing)
{
    CurrentFolder folder;
    FaultServer server(QUIT_URL_NAME);
    server.SetRules({"missing.bin status 404"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheQuestionIsOpen", "");

    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(1, result.quit);
    EXPECT_LT(result.elapsedMs, 5000u);
    EXPECT_EQ(0, result.posted);
    EXPECT_EQ(1u, server.Requests("missing.bin").size());
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("File not found on the server\r\nCODE: "));
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
}

TEST(WorkerExitTest, WriteFailureShowsItsBoxThenEndsTheProcessWithCode1)
{
    CurrentFolder folder;
    FaultServer server("WorkerExitTest.Write");
    std::string data = server.PublishRandom("locked.bin", 3000, 52);
    ASSERT_TRUE(WriteWholeFile(folder.Path("locked.bin"), "in use"));

    ChildProcess child;
    ASSERT_TRUE(StartTestInChild(child, "WorkerExitChild.DISABLED_WriteFailure", folder.Path()));
    MessageBoxAnswerer user({IDOK}, 60000, child.Id());
    DWORD code = 0;
    ASSERT_TRUE(child.Wait(60000, code));

    EXPECT_EQ(1u, code);
    EXPECT_FALSE(FileExists(folder.Path("result.txt"))) << ReadWholeFile(folder.Path("result.txt"));
    std::vector<std::string> boxes = user.Texts();
    ASSERT_EQ(1u, boxes.size()) << "no question after a write failure";
    EXPECT_THAT(boxes[0], StartsWith("Disk full or file locked\nCODE: "));
    EXPECT_THAT(boxes[0], EndsWith(" RESULT: 8"));
    EXPECT_EQ("in use", ReadWholeFile(folder.Path("locked.bin")));
    EXPECT_TRUE(ReadWholeFile(folder.Path("locked.bin.part")) == data);
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find(server.Url("locked.bin") + ": MoveFile failed ("));
    // The log is a text file: the box's line break is written as CR LF.
    EXPECT_NE(std::string::npos, log.find("Disk full or file locked\r\nCODE: "));
}
