// The update controller in a real main window of this process: the opening sequence up to a worker
// that fails, the version line, the ready and error states, and what the timer and PLAY ignore.
#include <gtest/gtest.h>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>
#include "engine/UpdateContext.h"
#include "engine/Updater.h"
#include "launcher/TarnwickDlg.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/Pump.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"
#include "tests/support/WindowSearch.h"

using namespace testsupport;

namespace {

// The main window with its controls bound and nothing started, for the controller's pieces.
class CBareLauncherDlg : public CTarnwickDlg {
public:
    using CTarnwickDlg::OnPlay;
    using CTarnwickDlg::OnTimer;
    using CTarnwickDlg::OnUpdateDone;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        return TRUE;
    }
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_update.InitPaths();
        g_update.m_jobs.clear();
        g_update.m_bSelfUpdate = 0;
    }

    void TearDown() override
    {
        if (g_pMainDlg == &m_dlg)
            g_pMainDlg = nullptr;
        if (m_dlg.GetSafeHwnd())
            m_dlg.DestroyWindow();
        if (m_bare.GetSafeHwnd())
            m_bare.DestroyWindow();
    }

    void OpenBare()
    {
        ASSERT_TRUE(m_bare.Create(IDD_LAUNCHER, nullptr));
    }

    // The program's log, as the program writes it into its folder.
    std::vector<std::string> LogLines() const { return LogMessages(m_folder.Path()); }

    CurrentFolder m_folder;
    CTarnwickDlg m_dlg;
    CBareLauncherDlg m_bare;
};

TEST_F(ControllerTest, OpeningQueuesTheListJobsAndAFailedWorkerEndsInError)
{
    ASSERT_TRUE(WriteWholeFile("Vers.txt", "V.9.9 local\r\nline 2\r\n"));
    ASSERT_TRUE(WriteWholeFile("filelist.sig", std::string(64, 'x')));
    // Nothing listens there: every attempt fails at once.
    _putenv("VELMORA_TEST_GAME_HOST=127.0.0.7");
    WaitRecorder waits(100);
    MessageBoxAnswerer answerer({IDOK, IDCANCEL}, 60000);

    g_pMainDlg = &m_dlg;
    ASSERT_TRUE(m_dlg.Create(IDD_LAUNCHER, nullptr));
    CString title;
    m_dlg.GetWindowText(title);
    EXPECT_STREQ(title, "Velmora World");
    EXPECT_EQ(TextOf(m_dlg.m_lblStatus.m_hWnd), "Checking for updates...");
    EXPECT_EQ(TextOf(m_dlg.m_lblVersion.m_hWnd), "Velmora World  V.9.9 local");
    EXPECT_EQ(m_dlg.m_nState, STATE_CHECKING);
    EXPECT_FALSE(::IsWindowVisible(m_dlg.m_btnPlay.m_hWnd));
    EXPECT_EQ(GetFileAttributesA("filelist.sig"), INVALID_FILE_ATTRIBUTES) << "the old signature was kept";
    EXPECT_STREQ(m_dlg.m_pUpdater->m_strHost, "127.0.0.7");

    ASSERT_TRUE(PumpUntil([&] { return m_dlg.m_nState == STATE_ERROR; }, 60000)) << TextOf(m_dlg.m_lblStatus.m_hWnd);
    _putenv("VELMORA_TEST_GAME_HOST=");
    EXPECT_EQ(TextOf(m_dlg.m_lblStatus.m_hWnd), "Update failed, please try again later");
    EXPECT_EQ(LogLines().back(), "ERREUR Update failed, please try again later");
    EXPECT_EQ(answerer.Wait().size(), 2u);

    // The three list jobs, in order, one query for all.
    ASSERT_EQ(g_update.m_jobs.size(), 3u);
    const char* names[] = {"filelist.new", "filelist.sig", "Vers.txt"};
    const char* paths[] = {"files/pc/filelist.txt", "files/pc/filelist.txt.sig", "files/pc/Vers.txt"};
    std::string query;
    int i = 0;
    for (const DOWNLOAD_JOB& job : g_update.m_jobs) {
        EXPECT_EQ(std::string(job.szLocalPath), std::string(g_update.m_szDir) + "\\" + names[i]);
        std::string url = job.szUrlPath;
        ASSERT_EQ(url.compare(0, strlen(paths[i]), paths[i]), 0) << url;
        std::string q = url.substr(strlen(paths[i]));
        EXPECT_TRUE(std::regex_match(q, std::regex("\\?t=[0-9]{10}[0-9]+"))) << q;
        if (i == 0)
            query = q;
        EXPECT_EQ(q, query) << "one query per fetch";
        EXPECT_EQ(job.bOptional, i == 1 ? 1 : 0) << names[i];
        ++i;
    }
}

TEST_F(ControllerTest, VersionLineComesFromTheFirstLineWhenItStartsWithV)
{
    OpenBare();
    struct Case {
        const char* file; // nullptr: no "Vers.txt"
        std::string shown;
    } cases[] = {
        {nullptr, "Velmora World"},
        {"V.1.2.3 (42)\r\nother\r\n3000\r\n", "Velmora World  V.1.2.3 (42)"},
        {"V.7\nunix line ends\n", "Velmora World  V.7"},
        {"v.1.2.3\r\n", "Velmora World"},
        {"Version 1.2\r\n", "Velmora World"},
        {"\r\nV.1.2\r\n", "Velmora World"},
    };
    for (const Case& c : cases) {
        DeleteFileA("Vers.txt");
        if (c.file) {
            ASSERT_TRUE(WriteWholeFile("Vers.txt", c.file));
        }
        m_bare.ShowVersion();
        EXPECT_EQ(TextOf(m_bare.m_lblVersion.m_hWnd), c.shown) << (c.file ? c.file : "(no file)");
    }
    std::string longLine = "V." + std::string(80, '9');
    ASSERT_TRUE(WriteWholeFile("Vers.txt", longLine + "\r\n"));
    m_bare.ShowVersion();
    EXPECT_EQ(TextOf(m_bare.m_lblVersion.m_hWnd), "Velmora World  " + longLine.substr(0, 63));
}

TEST_F(ControllerTest, ReadyShowsPlayAndFullBarsErrorChangesOnlyTheStatus)
{
    OpenBare();
    m_bare.m_lblSpeed.SetCaption("123.4Kb/sec");
    m_bare.m_lblCount.SetCaption("3 / 7");
    m_bare.m_progressFile.SetRange(0, 100);
    m_bare.m_progressTotal.SetRange(0, 100);
    m_bare.m_progressFile.SetPos(40);

    m_bare.SetReady();
    EXPECT_EQ(m_bare.m_nState, STATE_READY);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), "Ready to play");
    EXPECT_EQ(TextOf(m_bare.m_lblSpeed.m_hWnd), "");
    EXPECT_EQ(TextOf(m_bare.m_lblCount.m_hWnd), "3 / 7");
    EXPECT_TRUE(::IsWindowVisible(m_bare.m_btnPlay.m_hWnd));
    EXPECT_EQ(::GetFocus(), m_bare.m_btnPlay.GetSafeHwnd());
    EXPECT_EQ(m_bare.m_progressFile.SendMessage(PBM_GETPOS), 100);
    EXPECT_EQ(m_bare.m_progressTotal.SendMessage(PBM_GETPOS), 100);
    EXPECT_EQ(LogLines().back(), "PRET");

    m_bare.ShowError("Invalid file list");
    EXPECT_EQ(m_bare.m_nState, STATE_ERROR);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), "Invalid file list");
    EXPECT_EQ(LogLines().back(), "ERREUR Invalid file list");
    EXPECT_TRUE(::IsWindowVisible(m_bare.m_btnPlay.m_hWnd));
    EXPECT_EQ(m_bare.m_progressTotal.SendMessage(PBM_GETPOS), 100);
    EXPECT_EQ(TextOf(m_bare.m_lblCount.m_hWnd), "3 / 7");
}

TEST_F(ControllerTest, RetryTimerOnlyRestartsAFetchThatIsStillWanted)
{
    OpenBare();
    DOWNLOAD_JOB sentinel = {};
    strcpy(sentinel.szUrlPath, "sentinel");
    struct Case {
        int quit;
        int state;
    } cases[] = {{1, STATE_CHECKING}, {0, STATE_ERROR}, {0, STATE_READY}, {1, STATE_ERROR}};
    for (const Case& c : cases) {
        g_update.m_jobs.assign(1, sentinel);
        m_bare.m_bQuit = c.quit;
        m_bare.m_nState = c.state;
        ASSERT_TRUE(m_bare.SetTimer(IDT_SIGNATURE_RETRY, 600000, nullptr));
        m_bare.OnTimer(IDT_SIGNATURE_RETRY);
        EXPECT_FALSE(m_bare.KillTimer(IDT_SIGNATURE_RETRY)) << "the timer was left running";
        ASSERT_EQ(g_update.m_jobs.size(), 1u) << "a fetch started: quit " << c.quit << ", state " << c.state;
        EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "sentinel");
        EXPECT_EQ(m_bare.m_nState, c.state);
    }
}

TEST_F(ControllerTest, PlayActsOnlyWhenReadyAndEnabled)
{
    OpenBare();
    m_bare.m_btnPlay.ShowWindow(SW_SHOW);
    for (int state : {STATE_CHECKING, STATE_SELF_UPDATE, STATE_DOWNLOADING, STATE_ERROR}) {
        m_bare.m_nState = state;
        m_bare.m_btnPlay.EnableWindow(TRUE);
        m_bare.OnPlay();
        EXPECT_TRUE(m_bare.m_btnPlay.IsWindowEnabled()) << state;
    }
    m_bare.m_nState = STATE_READY;
    m_bare.m_btnPlay.EnableWindow(FALSE);
    m_bare.OnPlay();
    EXPECT_FALSE(m_bare.m_btnPlay.IsWindowEnabled());
    for (const std::string& line : LogLines())
        EXPECT_NE(line.compare(0, 6, "LANCE "), 0) << "the game was started: " << line;
}

TEST_F(ControllerTest, BadSignatureRetriesByTimerAndTheNinthAsksTheUser)
{
    OpenBare();
    // No "filelist.new" and no "filelist.sig": the signature check fails.
    DOWNLOAD_JOB sentinel = {};
    strcpy(sentinel.szUrlPath, "sentinel");
    g_update.m_jobs.assign(1, sentinel);
    WaitRecorder waits(100);

    m_bare.m_nState = STATE_CHECKING;
    m_bare.m_nSigRetries = 0;
    EXPECT_EQ(m_bare.OnUpdateDone(0, 0), 0);
    EXPECT_EQ(m_bare.m_nSigRetries, 1);
    EXPECT_EQ(m_bare.m_nState, STATE_CHECKING);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), "File list being updated, retrying...");
    EXPECT_EQ(LogLines().back(), "SIGNATURE nouvel essai 2/9 dans 15000 ms");
    EXPECT_EQ(waits.CountOf(15000), 1u);
    EXPECT_TRUE(m_bare.KillTimer(IDT_SIGNATURE_RETRY)) << "no retry timer";
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "sentinel") << "a fetch started without the timer";

    // The eighth failure still waits for the timer; it announces the last check.
    m_bare.m_nSigRetries = 7;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(m_bare.m_nSigRetries, 8);
    EXPECT_EQ(LogLines().back(), "SIGNATURE nouvel essai 9/9 dans 15000 ms");
    EXPECT_TRUE(m_bare.KillTimer(IDT_SIGNATURE_RETRY));

    // The ninth asks; Cancel ends the run in error with the count back at 0.
    MessageBoxAnswerer answerer({IDCANCEL}, 20000);
    m_bare.OnUpdateDone(0, 0);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, ProgramName());
    EXPECT_EQ(boxes[0].text, "The file list could not be authenticated: nothing was installed.\nRetry?");
    EXPECT_TRUE(boxes[0].buttonFound) << "no Cancel button";
    EXPECT_EQ(m_bare.m_nSigRetries, 0);
    EXPECT_EQ(m_bare.m_nState, STATE_ERROR);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), "File list not authenticated, try again later");
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "SIGNATURE abandon apres 9 essais");
    EXPECT_EQ(lines.back(), "ERREUR File list not authenticated, try again later");
    EXPECT_FALSE(m_bare.KillTimer(IDT_SIGNATURE_RETRY)) << "a timer after the user gave up";
    EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "sentinel");
}

} // namespace
