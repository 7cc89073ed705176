// How the worker ends the process or is ended with it, each case run in a child process: quitting
// during a download (the server still sending or stalled), during the worker's pauses or while it
// asks to retry, and a failed write (a target that cannot be replaced, a full disk).
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

// A launcher started right after a quit tries for the mutex 20 times, 250 ms apart: the quitting
// one must be gone by then.
const unsigned long SECOND_LAUNCHER_WAIT_MS = 20 * 250;

std::string ResultFile(const std::string& folder)
{
    return folder + "\\result.txt";
}

// Child side of the quit tests: state for the timer callback and the pause hook.
DWORD g_quitAt = 0;
std::function<bool()> g_quitWhen;
volatile DWORD g_firstPause = 0;
volatile DWORD g_firstPauseAt = 0;

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

struct QuitPlan {
    std::string file;                        // the one job, on the fault server
    std::function<bool(CUpdater&)> quitWhen; // asked every 10 ms on the window's thread
    DWORD waitDivisor;                       // the program's pauses last requested / divisor
    std::string host;
};

// Runs the main window modally with a worker on the plan's file, quits once the plan says so, and
// writes what it saw into result.txt.
void RunQuitChild(const QuitPlan& plan)
{
    const std::string folder = ChildArgument();
    SetCurrentDirectoryA(folder.c_str());
    g_bFrench = 0;
    WaitRecorder waits(plan.waitDivisor);
    waits.OnWait([&waits](size_t count) {
        if (count == 1) {
            g_firstPause = waits.Waits().front();
            g_firstPauseAt = GetTickCount();
        }
    });
    FaultServer server(QUIT_URL_NAME);
    CUpdateContext context;
    context.m_jobs.push_back(
        MakeJob(folder + "\\" + plan.file, server.Url(plan.file), ReadWholeFile(folder + "\\md5.txt")));
    CTestLauncherDlg dlg;
    dlg.m_pUpdater->m_strHost = plan.host.c_str();
    g_quitWhen = [&] { return plan.quitWhen(*dlg.m_pUpdater); };
    int posted = 0;
    DWORD goneAt = 0;
    dlg.m_onInit = [&] {
        dlg.m_pUpdater->Start(&context);
        SetTimer(dlg.GetSafeHwnd(), 1, 10, QuitWhenReady);
    };
    dlg.m_onDestroy = [&] {
        goneAt = GetTickCount();
        MSG msg;
        posted = dlg.m_nDonePosted + dlg.m_nFailedPosted +
                 (PeekMessageA(&msg, dlg.GetSafeHwnd(), WM_UPDATE_DONE, WM_UPDATE_FAILED, PM_REMOVE) ? 1 : 0);
    };
    dlg.DoModal();
    if (FILE* f = fopen(ResultFile(folder).c_str(), "w")) {
        fprintf(f, "%lu %lu %d %lu %lu\n", (unsigned long)g_quitAt, (unsigned long)goneAt, posted,
                (unsigned long)g_firstPause, (unsigned long)g_firstPauseAt);
        fclose(f);
    }
}

struct QuitResult {
    int exitCode;
    bool quit;
    unsigned long quitToExitMs; // from the QUIT press to the end of the process
    int posted;
    unsigned long firstPause;   // the first pause the program asked for, 0 when none
    unsigned long pauseToStopMs; // from the start of that pause to the worker's end
};

QuitResult RunQuit(CurrentFolder& folder, const std::string& testName, const std::string& data)
{
    WriteWholeFile(folder.Path("md5.txt"), Md5Of(data));
    QuitResult result = {-1, false, 0, 0, 0, 0};
    ChildProcess child;
    DWORD exitCode = 0, exitAt = 0;
    if (StartTestInChild(child, testName, folder.Path()) && child.Wait(60000, exitCode)) {
        exitAt = GetTickCount();
        result.exitCode = (int)exitCode;
    }
    unsigned long quitAt = 0, goneAt = 0, pauseAt = 0;
    std::string text = ReadWholeFile(ResultFile(folder.Path()));
    if (sscanf(text.c_str(), "%lu %lu %d %lu %lu", &quitAt, &goneAt, &result.posted, &result.firstPause,
               &pauseAt) == 5 && quitAt) {
        result.quit = true;
        result.quitToExitMs = exitAt - quitAt;
        result.pauseToStopMs = pauseAt ? goneAt - pauseAt : 0;
    }
    return result;
}

// A quit ends the process well before a second launcher gives up, with nothing posted to the
// window and no worker killed.
void ExpectPromptQuit(const QuitResult& result, const std::string& folder)
{
    EXPECT_EQ(0, result.exitCode);
    EXPECT_TRUE(result.quit);
    EXPECT_LT(result.quitToExitMs, SECOND_LAUNCHER_WAIT_MS);
    EXPECT_EQ(0, result.posted);
    std::string log = LogText(folder);
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
    EXPECT_EQ(std::string::npos, log.find("CODE:")) << "no error box while quitting";
}

// The fulldisk fixture's small file system (256 KiB).
bool SmallDiskMounted()
{
    ULARGE_INTEGER available, total;
    return GetDiskFreeSpaceExA((BuildPath("fulldisk") + "\\").c_str(), &available, &total, NULL) &&
           total.QuadPart <= 4u * 1024 * 1024;
}

QuitPlan PlanFor(const std::string& file, const std::function<bool(CUpdater&)>& quitWhen)
{
    return QuitPlan{file, quitWhen, 10, FaultServer::Host()};
}

// Quits as soon as the worker asks for its first pause, and lets that pause last its real time.
QuitPlan QuitInTheFirstPause(const std::string& file, const std::string& host)
{
    return QuitPlan{file, [](CUpdater&) { return g_firstPauseAt != 0; }, 1, host};
}

} // namespace

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_QuitWhileReceiving)
{
    std::string part = ChildArgument() + "\\big.bin.part";
    RunQuitChild(PlanFor("big.bin", [part](CUpdater&) { return SizeOf(part) >= 100000; }));
}

// Run by WorkerExitTest in a child process only: quits once the first block is written, while the
// worker waits for a second one that does not come. (The bars are not a sign of it: they are shown
// at most every 100 ms, so a block that came quickly may never show.)
TEST(WorkerExitChild, DISABLED_QuitWhileTheServerStalls)
{
    std::string part = ChildArgument() + "\\stalled.bin.part";
    RunQuitChild(PlanFor("stalled.bin", [part](CUpdater&) { return SizeOf(part) >= DOWNLOAD_CHUNK_SIZE; }));
}

// Run by WorkerExitTest in a child process only.
TEST(WorkerExitChild, DISABLED_QuitDuringTheRetryPause)
{
    RunQuitChild(QuitInTheFirstPause("cut.bin", FaultServer::Host()));
}

// Run by WorkerExitTest in a child process only: no host, so every connection attempt fails.
TEST(WorkerExitChild, DISABLED_QuitDuringTheConnectPause)
{
    RunQuitChild(QuitInTheFirstPause("any.bin", ""));
}

// Run by WorkerExitTest in a child process only: the user answers the error box, then quits
// while the Retry/Cancel question is open.
TEST(WorkerExitChild, DISABLED_QuitWhileTheQuestionIsOpen)
{
    RunQuitChild(PlanFor("missing.bin", [](CUpdater& updater) {
        HWND box = WorkerBox(updater);
        std::string text = box ? BoxText(box) : std::string();
        if (text.find("RESULT: 4") != std::string::npos)
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
        return text == "Update interrupted. Retry?";
    }));
}

// Run by WorkerExitTest in a child process only: fetches the job that "job.txt" describes (the
// language flag, the target's path) with the log in its folder. A file already at the target is
// held open without any sharing: it can be neither deleted nor renamed.
TEST(WorkerExitChild, DISABLED_WriteFailure)
{
    std::string folder = ChildArgument();
    SetCurrentDirectoryA(folder.c_str());
    int french = 0;
    char target[MAX_PATH] = "";
    ASSERT_EQ(2, sscanf(ReadWholeFile(folder + "\\job.txt").c_str(), "%d %259[^\n]", &french, target));
    g_bFrench = french;
    FaultServer server("WorkerExitTest.Write");
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(target, server.Url("f.bin")));
    HeldFile locked(CreateFileA(target, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
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

    ExpectPromptQuit(result, folder.Path());
    long long kept = SizeOf(folder.Path("big.bin.part"));
    EXPECT_GE(kept, 100000);
    EXPECT_LT(kept, (long long)data.size());
    EXPECT_TRUE(ReadWholeFile(folder.Path("big.bin.part")) == data.substr(0, (size_t)kept));
    EXPECT_FALSE(FileExists(folder.Path("big.bin")));
}

// The stop's own time limit is the program's real one here: a read that the stop cannot end
// would show as a killed worker and a late exit.
TEST(WorkerExitTest, QuittingWhileTheServerStallsStillEndsTheProcessPromptly)
{
    CurrentFolder folder;
    FaultServer server(QUIT_URL_NAME);
    std::string data = server.PublishRandom("stalled.bin", 4 * DOWNLOAD_CHUNK_SIZE, 51);
    server.SetRules({"stalled.bin stall " + std::to_string(DOWNLOAD_CHUNK_SIZE)});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheServerStalls", data);

    ExpectPromptQuit(result, folder.Path());
    EXPECT_TRUE(ReadWholeFile(folder.Path("stalled.bin.part")) == data.substr(0, DOWNLOAD_CHUNK_SIZE));
    EXPECT_FALSE(FileExists(folder.Path("stalled.bin")));
}

// The pauses last their real time here: the stop must end them, not wait them out.
TEST(WorkerExitTest, QuittingDuringThePausesBetweenAttemptsEndsThemAtOnce)
{
    struct Case {
        const char* child;
        DWORD pause;
    } cases[] = {{"WorkerExitChild.DISABLED_QuitDuringTheRetryPause", DOWNLOAD_RETRY_DELAY_MS},
                 {"WorkerExitChild.DISABLED_QuitDuringTheConnectPause", CONNECT_RETRY_DELAY_MS}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.child);
        CurrentFolder folder;
        FaultServer server(QUIT_URL_NAME);
        std::string data = server.PublishRandom("cut.bin", 5000, 53);
        server.SetRules({"cut.bin cut 1000"});

        QuitResult result = RunQuit(folder, c.child, data);

        ExpectPromptQuit(result, folder.Path());
        EXPECT_EQ(c.pause, result.firstPause);
        EXPECT_LT(result.pauseToStopMs, c.pause);
    }
}

TEST(WorkerExitTest, QuittingWhileTheWorkersQuestionIsOpenClosesItAndPostsNothing)
{
    CurrentFolder folder;
    FaultServer server(QUIT_URL_NAME);
    server.SetRules({"missing.bin status 404"});

    QuitResult result = RunQuit(folder, "WorkerExitChild.DISABLED_QuitWhileTheQuestionIsOpen", "");

    EXPECT_EQ(0, result.exitCode);
    EXPECT_TRUE(result.quit);
    EXPECT_LT(result.quitToExitMs, SECOND_LAUNCHER_WAIT_MS);
    EXPECT_EQ(0, result.posted);
    EXPECT_EQ(1u, server.Requests("missing.bin").size());
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("File not found on the server\r\nCODE: "));
    EXPECT_EQ(std::string::npos, log.find("terminated")) << "the worker should have stopped by itself";
}

// A target that cannot be replaced (English) and a disk that fills up (French): one box in the
// user's language, then the end of the process, with the ".part" kept.
TEST(WorkerExitTest, WriteFailureShowsItsBoxThenEndsTheProcessWithCode1)
{
    struct Case {
        int french;
        bool fullDisk;
        const char* text;
    } cases[] = {{0, false, "Disk full or file locked"}, {1, true, "Disque plein ou fichier verrouillé"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.fullDisk && !SmallDiskMounted()) {
            GTEST_SKIP() << "no small file system is mounted on " << BuildPath("fulldisk");
        }
        CurrentFolder folder;
        ScratchFolder disk(c.fullDisk ? BuildPath("fulldisk") : folder.Path());
        const std::string target = disk.Path("f.bin");
        FaultServer server("WorkerExitTest.Write");
        std::string data = server.PublishRandom("f.bin", c.fullDisk ? 1024 * 1024 : 3000, 52);
        if (!c.fullDisk) {
            ASSERT_TRUE(WriteWholeFile(target, "in use"));
        }
        ASSERT_TRUE(WriteWholeFile(folder.Path("job.txt"), std::to_string(c.french) + " " + target));

        ChildProcess child;
        ASSERT_TRUE(StartTestInChild(child, "WorkerExitChild.DISABLED_WriteFailure", folder.Path()));
        MessageBoxAnswerer user({IDOK}, 60000, child.Id());
        DWORD code = 0;
        ASSERT_TRUE(child.Wait(60000, code));

        EXPECT_EQ(1u, code);
        EXPECT_FALSE(FileExists(folder.Path("result.txt"))) << ReadWholeFile(folder.Path("result.txt"));
        std::vector<std::string> boxes = user.Texts();
        ASSERT_EQ(1u, boxes.size()) << "no question after a write failure";
        EXPECT_THAT(boxes[0], StartsWith(std::string(c.text) + "\nCODE: "));
        EXPECT_THAT(boxes[0], EndsWith(" RESULT: 8"));
        std::string log = LogText(folder.Path());
        // The log is a text file: the box's line break is written as CR LF.
        EXPECT_NE(std::string::npos, log.find(std::string(c.text) + "\r\nCODE: "));
        if (c.fullDisk) {
            long long kept = SizeOf(target + ".part");
            EXPECT_GT(kept, 0);
            EXPECT_LT(kept, (long long)data.size());
            EXPECT_TRUE(ReadWholeFile(target + ".part") == data.substr(0, (size_t)kept));
            EXPECT_FALSE(FileExists(target));
        } else {
            EXPECT_EQ("in use", ReadWholeFile(target));
            EXPECT_TRUE(ReadWholeFile(target + ".part") == data);
            EXPECT_NE(std::string::npos, log.find(server.Url("f.bin") + ": MoveFile failed ("));
        }
    }
}
