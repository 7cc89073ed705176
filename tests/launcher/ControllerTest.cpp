// The update controller in a real main window of this process: the opening sequence up to a worker
// that fails, the version line, the ready and error states, what the timer and PLAY ignore, every
// step after a worker run in both languages, and a quit during the list check.
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>
#include "engine/Language.h"
#include "engine/UpdateContext.h"
#include "engine/Updater.h"
#include "launcher/FolderFit.h"
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
    using CTarnwickDlg::OnUpdateFailed;

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
        if (g_pMainDlg == &m_dlg || g_pMainDlg == &m_bare)
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
    std::string LastLogLine() const
    {
        std::vector<std::string> lines = LogLines();
        return lines.empty() ? "(no log)" : lines.back();
    }

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
    EXPECT_EQ(LastLogLine(), "ERREUR Update failed, please try again later");
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
    EXPECT_EQ(LastLogLine(), "PRET");

    m_bare.ShowError("Invalid file list");
    EXPECT_EQ(m_bare.m_nState, STATE_ERROR);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), "Invalid file list");
    EXPECT_EQ(LastLogLine(), "ERREUR Invalid file list");
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
    EXPECT_EQ(LastLogLine(), "SIGNATURE nouvel essai 2/9 dans 15000 ms");
    EXPECT_EQ(waits.CountOf(15000), 1u);
    EXPECT_TRUE(m_bare.KillTimer(IDT_SIGNATURE_RETRY)) << "no retry timer";
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "sentinel") << "a fetch started without the timer";

    // The eighth failure still waits for the timer; it announces the last check.
    m_bare.m_nSigRetries = 7;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(m_bare.m_nSigRetries, 8);
    EXPECT_EQ(LastLogLine(), "SIGNATURE nouvel essai 9/9 dans 15000 ms");
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

namespace {

// Calls `handled` for every message that a window of this thread has handled, while it lives.
class HandledMessages {
public:
    explicit HandledMessages(std::function<void(const CWPRETSTRUCT&)> handled) : m_handled(std::move(handled))
    {
        s_active = this;
        m_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
        EXPECT_TRUE(m_hook) << GetLastError();
    }
    ~HandledMessages()
    {
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        s_active = nullptr;
    }
    HandledMessages(const HandledMessages&) = delete;
    HandledMessages& operator=(const HandledMessages&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && s_active)
            s_active->m_handled(*reinterpret_cast<const CWPRETSTRUCT*>(lParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static HandledMessages* s_active;
    std::function<void(const CWPRETSTRUCT&)> m_handled;
    HHOOK m_hook = nullptr;
};
HandledMessages* HandledMessages::s_active = nullptr;

// Every text the status label took, in order; `onText` runs as soon as the label holds it.
class StatusTexts {
public:
    explicit StatusTexts(std::function<void(const std::string&)> onText = nullptr)
        : m_onText(std::move(onText)), m_watch([this](const CWPRETSTRUCT& m) {
              if (m.message == WM_SETTEXT && GetDlgCtrlID(m.hwnd) == IDC_STATUS) {
                  texts.push_back(TextOf(m.hwnd));
                  if (m_onText)
                      m_onText(texts.back());
              }
          })
    {
    }
    std::vector<std::string> texts;

private:
    std::function<void(const std::string&)> m_onText;
    HandledMessages m_watch;
};

// The published games of the end-to-end tests: <build>\e2e\games\<game>\files\pc.
std::string Published(const std::string& game)
{
    return BuildPath("e2e\\games\\" + game + "\\files\\pc");
}

// The game's signed list, as the worker leaves it, in the current folder.
void FetchedList(const std::string& game)
{
    ASSERT_TRUE(CopyFileA((Published(game) + "\\filelist.txt").c_str(), "filelist.new", FALSE)) << game;
    ASSERT_TRUE(CopyFileA((Published(game) + "\\filelist.txt.sig").c_str(), "filelist.sig", FALSE)) << game;
}

// One language's form of each text.
struct Texts {
    int french;
    const char* checkingFiles;
    const char* retrying;
    const char* question;
    const char* notAuthenticated;
    const char* notFound;
    const char* invalid;
    const char* updatingLauncher;
    const char* updating;
    const char* restartFailed;
    const char* updateFailed;
    const char* ready;
    const char* checkingForUpdates;
};
const Texts kEnglish = {0,
                        "Checking files...",
                        "File list being updated, retrying...",
                        "The file list could not be authenticated: nothing was installed.\nRetry?",
                        "File list not authenticated, try again later",
                        "File list not found",
                        "Invalid file list",
                        "Updating the launcher...",
                        "Updating...",
                        "Cannot restart the launcher",
                        "Update failed, please try again later",
                        "Ready to play",
                        "Checking for updates..."};
const Texts kFrench = {1,
                       "Vérification des fichiers...",
                       "Liste en cours de mise à jour, nouvel essai...",
                       "La liste des fichiers n'a pas pu être authentifiée : rien n'a été installé.\nRéessayer ?",
                       "Liste des fichiers non authentifiée, réessayez plus tard",
                       "Liste des fichiers introuvable",
                       "Liste des fichiers invalide",
                       "Mise à jour du lanceur...",
                       "Mise à jour en cours...",
                       "Relance du lanceur impossible",
                       "Mise à jour impossible, réessayez plus tard",
                       "Prêt à jouer",
                       "Recherche des mises à jour..."};

void PrintTo(const Texts& texts, std::ostream* os)
{
    *os << (texts.french ? "French" : "English");
}

class ControllerSteps : public ControllerTest, public ::testing::WithParamInterface<Texts> {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        m_language = g_bFrench;
        g_bFrench = GetParam().french;
        OpenBare();
        g_pMainDlg = &m_bare;
        m_bare.m_pUpdater->m_strHost = "127.0.0.7";
    }
    void TearDown() override
    {
        if (m_bare.GetSafeHwnd() && m_bare.m_pUpdater)
            m_bare.m_pUpdater->Stop();
        g_bFrench = m_language;
        ControllerTest::TearDown();
    }

    // The status text and the log's last line after a step that ends in error.
    void ExpectError(const char* text)
    {
        EXPECT_EQ(m_bare.m_nState, STATE_ERROR);
        EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), text);
        EXPECT_EQ(LastLogLine(), std::string("ERREUR ") + text);
        EXPECT_FALSE(m_bare.m_pUpdater->m_pThread) << "a worker was started";
    }

    // A worker was started in this state, with this status text; it is stopped again.
    void ExpectWorkerStarted(int state, const char* text)
    {
        EXPECT_EQ(m_bare.m_nState, state);
        EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), text);
        EXPECT_TRUE(m_bare.m_pUpdater->m_pThread) << "no worker";
        EXPECT_EQ(m_bare.m_progressFile.SendMessage(PBM_GETPOS), 0);
        m_bare.m_pUpdater->Stop();
    }

    int m_language = 0;
};

TEST_P(ControllerSteps, WorkerFailureInAnyState)
{
    for (int state : {STATE_CHECKING, STATE_SELF_UPDATE, STATE_DOWNLOADING}) {
        m_bare.m_nState = state;
        EXPECT_EQ(m_bare.OnUpdateFailed(0, 0), 0);
        ExpectError(GetParam().updateFailed);
    }
}

TEST_P(ControllerSteps, UnauthenticatedListRetriesThenGivesUp)
{
    StatusTexts status;
    m_bare.m_nState = STATE_CHECKING;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(status.texts, std::vector<std::string>{GetParam().retrying});
    EXPECT_EQ(m_bare.m_nState, STATE_CHECKING);
    EXPECT_TRUE(m_bare.KillTimer(IDT_SIGNATURE_RETRY));

    m_bare.m_nSigRetries = MAX_SIGNATURE_CHECKS - 1;
    MessageBoxAnswerer answerer({IDCANCEL}, 20000);
    m_bare.OnUpdateDone(0, 0);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, GetParam().question);
    ExpectError(GetParam().notAuthenticated);
}

// The list vanishes between its signature check and the list check.
TEST_P(ControllerSteps, ListGoneAfterItsSignatureIsNotFound)
{
    ASSERT_NO_FATAL_FAILURE(FetchedList("v1"));
    StatusTexts status([&](const std::string& text) {
        if (text == GetParam().checkingFiles) {
            EXPECT_TRUE(DeleteFileA("filelist.new"));
        }
    });
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(status.texts, (std::vector<std::string>{GetParam().checkingFiles, GetParam().notFound}));
    ExpectError(GetParam().notFound);
}

TEST_P(ControllerSteps, SignedListWithoutTheGameClientIsInvalid)
{
    ASSERT_NO_FATAL_FAILURE(FetchedList("invalid"));
    m_bare.OnUpdateDone(0, 0);
    ExpectError(GetParam().invalid);
    EXPECT_TRUE(FileExists("filelist.new"));
    EXPECT_FALSE(FileExists("filelist.txt"));
}

TEST_P(ControllerSteps, ChangedLauncherAloneIsFetched)
{
    ASSERT_NO_FATAL_FAILURE(FetchedList("v1"));
    ASSERT_TRUE(CopyTree(Published("v1") + "\\data", m_folder.Path()));
    std::string launcher = m_folder.Path("Velmora World.exe");
    ASSERT_TRUE(DeleteFileA(launcher.c_str()));
    ASSERT_TRUE(DeleteFileA("Vorn.exe"));
    strcpy(g_update.m_szExePath, launcher.c_str());
    m_bare.OnUpdateDone(0, 0);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szLocalPath, launcher.c_str());
    ExpectWorkerStarted(STATE_SELF_UPDATE, GetParam().updatingLauncher);
}

TEST_P(ControllerSteps, ChangedGameFilesAreFetched)
{
    ASSERT_NO_FATAL_FAILURE(FetchedList("v1"));
    ASSERT_TRUE(CopyTree(Published("v1") + "\\data", m_folder.Path()));
    ASSERT_TRUE(DeleteFileA("Vorn.exe"));
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(g_update.m_jobs.size(), 1u);
    ExpectWorkerStarted(STATE_DOWNLOADING, GetParam().updating);
    EXPECT_TRUE(FileExists("filelist.new")) << "the list was promoted before its files were there";
}

TEST_P(ControllerSteps, FailedRestartAfterTheLauncherWasReplaced)
{
    std::string missing = m_folder.Path("no such folder");
    ASSERT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    // The restart starts this program in the game folder, which is gone: it cannot start.
    strcpy(g_update.m_szDir, missing.c_str());
    m_bare.m_nState = STATE_SELF_UPDATE;
    m_bare.OnUpdateDone(0, 0);
    ExpectError(GetParam().restartFailed);
    EXPECT_EQ(m_bare.m_bQuit, 0);
    EXPECT_TRUE(::IsWindow(m_bare.m_hWnd));
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].compare(0, 8, "RELANCE "), 0) << lines[lines.size() - 2];
}

TEST_P(ControllerSteps, ListNeedingNothingIsPromotedAndReadyWithoutASecondRun)
{
    ASSERT_NO_FATAL_FAILURE(FetchedList("v1"));
    ASSERT_TRUE(CopyTree(Published("v1") + "\\data", m_folder.Path()));
    ASSERT_TRUE(WriteWholeFile("filelist.txt", "an older list\n"));
    StatusTexts status;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(status.texts, (std::vector<std::string>{GetParam().checkingFiles, GetParam().ready}));
    EXPECT_EQ(m_bare.m_nState, STATE_READY);
    EXPECT_FALSE(m_bare.m_pUpdater->m_pThread) << "a second worker run";
    EXPECT_FALSE(FileExists("filelist.new"));
    EXPECT_EQ(ReadWholeFile("filelist.txt"), ReadWholeFile(Published("v1") + "\\filelist.txt"));
    EXPECT_EQ(LastLogLine(), "PRET");
}

TEST_P(ControllerSteps, FailedPromotionIsLoggedAndTheGameIsReadyAnyway)
{
    // No "filelist.new" to promote.
    m_bare.m_nState = STATE_DOWNLOADING;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(m_bare.m_nState, STATE_READY);
    EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), GetParam().ready);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "reference non remplacee (2)");
    EXPECT_EQ(lines[1], "PRET");

    // With the list there it replaces the old one, and nothing is logged about it.
    ASSERT_TRUE(WriteWholeFile("filelist.new", "the new list\n"));
    ASSERT_TRUE(WriteWholeFile("filelist.txt", "the old list\n"));
    m_bare.m_nState = STATE_DOWNLOADING;
    m_bare.OnUpdateDone(0, 0);
    EXPECT_EQ(ReadWholeFile("filelist.txt"), "the new list\n");
    EXPECT_FALSE(FileExists("filelist.new"));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"reference non remplacee (2)", "PRET", "PRET"}));
}

// A quit while the list is being checked: whatever the list would have led to, nothing follows.
TEST_P(ControllerSteps, QuitDuringTheListCheckEndsTheRun)
{
    struct Case {
        int quitAfter;       // entries checked when the user quits (the check reads the flag after each)
        bool gameThere;
        const char* without; // what would follow without the quit
    } cases[] = {
        {0, true, "an invalid list: the check stops before the game client's entry"},
        {1, true, "ready, with the list promoted"},
        {1, false, "downloads"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.without);
        FreshFolder(m_folder.Path());
        ASSERT_NO_FATAL_FAILURE(FetchedList("v1"));
        if (c.gameThere) {
            ASSERT_TRUE(CopyTree(Published("v1") + "\\data", m_folder.Path()));
        }
        m_bare.m_bQuit = 0;
        m_bare.m_nState = STATE_CHECKING;
        // The check moves the file bar after each entry; the status names the check just before it.
        int entries = 0;
        HandledMessages quit([&](const CWPRETSTRUCT& m) {
            if (m.message == PBM_SETPOS && m.hwnd == m_bare.m_progressFile.m_hWnd && ++entries == c.quitAfter)
                m_bare.m_bQuit = 1;
            if (m.message == WM_SETTEXT && m.hwnd == m_bare.m_lblStatus.m_hWnd && c.quitAfter == 0 &&
                TextOf(m.hwnd) == GetParam().checkingFiles)
                m_bare.m_bQuit = 1;
        });
        m_bare.OnUpdateDone(0, 0);
        EXPECT_EQ(entries, c.quitAfter) << "the list check went on after the quit";
        EXPECT_EQ(m_bare.m_nState, STATE_CHECKING);
        EXPECT_EQ(TextOf(m_bare.m_lblStatus.m_hWnd), GetParam().checkingFiles);
        EXPECT_FALSE(m_bare.m_pUpdater->m_pThread) << "a worker was started";
        EXPECT_TRUE(FileExists("filelist.new"));
        EXPECT_FALSE(FileExists("filelist.txt"));
        for (const std::string& line : LogLines()) {
            EXPECT_NE(line.compare(0, 7, "ERREUR "), 0) << line;
            EXPECT_NE(line, "PRET");
        }
    }
}

// The opening in a folder whose path leaves no room for the list's paths: nothing is fetched.
TEST_P(ControllerSteps, OpeningInAFolderTooLongForItsPaths)
{
    m_bare.DestroyWindow();
    std::string tooLong = "C:\\" + std::string(247, 'd');
    strcpy(g_update.m_szDir, tooLong.c_str());
    ASSERT_TRUE(WriteWholeFile("filelist.sig", std::string(64, 'x')));
    StatusTexts status;
    CTarnwickDlg dlg;
    g_pMainDlg = &dlg;
    ASSERT_TRUE(dlg.Create(IDD_LAUNCHER, nullptr));
    EXPECT_EQ(status.texts, (std::vector<std::string>{GetParam().checkingForUpdates, FolderTooLongText()}));
    EXPECT_EQ(dlg.m_nState, STATE_ERROR);
    EXPECT_FALSE(dlg.m_pUpdater->m_pThread);
    EXPECT_TRUE(g_update.m_jobs.empty());
    EXPECT_EQ(LastLogLine(), std::string("ERREUR ") + FolderTooLongText());
    EXPECT_TRUE(FileExists("filelist.sig"));
    dlg.DestroyWindow();
    g_pMainDlg = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Languages, ControllerSteps, ::testing::Values(kEnglish, kFrench),
                         [](const ::testing::TestParamInfo<Texts>& info) {
                             return info.param.french ? "French" : "English";
                         });

} // namespace
