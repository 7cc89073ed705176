// The launcher when things go wrong: a list that will not authenticate, an invalid list, no
// server, a second launcher, QUIT in the middle of a download, a missing game client.
#include <algorithm>
#include "res/resource.h"
#include "tests/e2e/LauncherFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

using namespace e2e;
using namespace testsupport;

namespace {

const char kTitle[] = "Velmora World";

size_t CountPath(const std::vector<Request>& requests, const std::string& path)
{
    return (size_t)std::count_if(requests.begin(), requests.end(), [&](const Request& r) { return r.path == path; });
}

// The game folder still holds the v1 game and list, untouched by the run.
void ExpectV1Untouched(const std::string& game)
{
    EXPECT_TRUE(HoldsGame("v1", game));
    EXPECT_EQ(ReadWholeFile(JoinPath(game, "filelist.txt")), ReadWholeFile(GameDir("v1") + "\\filelist.txt"));
}

} // namespace

// Nine checks 15 s apart, the question, Retry at once, nine more, Cancel: not authenticated.
TEST_F(LauncherE2e, SignatureThatStaysWrong)
{
    std::string game = GameFolder();
    MessageBoxAnswerer answerer({IDRETRY, IDCANCEL}, 180000, MessageBoxAnswerer::kProcessTree);
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "badsig", "File list not authenticated, try again later", 180000));
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 2u);
    for (const AnsweredBox& box : boxes) {
        EXPECT_EQ(box.title, kTitle);
        EXPECT_EQ(box.text, "The file list could not be authenticated: nothing was installed.\nRetry?");
        EXPECT_TRUE(box.buttonFound);
    }

    // Eight timer waits before each question; none between Retry and the next fetch.
    std::vector<DWORD> waits = Waits();
    EXPECT_EQ(CountWaits(waits, 15000), 16u);
    std::vector<Request> all = m_requests.Since(36);
    EXPECT_EQ(CountPath(all, "/files/pc/filelist.txt"), 18u);
    EXPECT_EQ(CountPath(all, "/files/pc/filelist.txt.sig"), 18u);
    EXPECT_TRUE(m_requests.DataSince().empty()) << "an unauthenticated list was acted upon";

    std::vector<std::string> log = LogEndingWith("ERREUR File list not authenticated, try again later");
    for (int check = 2; check <= 9; ++check)
        EXPECT_EQ(CountOf(log, "SIGNATURE nouvel essai " + std::to_string(check) + "/9 dans 15000 ms"), 2u) << check;
    EXPECT_EQ(CountOf(log, "SIGNATURE abandon apres 9 essais"), 2u);
    EXPECT_EQ(log.back(), "ERREUR File list not authenticated, try again later");
    ExpectV1Untouched(game);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(launcher.MainWindow(0), IDC_PLAY)));

    EXPECT_TRUE(launcher.Quit());
}

// A list signed as it should be but without the game client.
TEST_F(LauncherE2e, SignedButInvalidList)
{
    std::string game = GameFolder();
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "invalid", "Invalid file list"));
    std::vector<std::string> log = LogEndingWith("ERREUR Invalid file list");
    EXPECT_TRUE(CountStartingWith(log, "SIGNATURE OK") == 1);
    EXPECT_EQ(log.back(), "ERREUR Invalid file list");
    EXPECT_TRUE(m_requests.DataSince().empty());
    ExpectV1Untouched(game);
    CheckPlayHidden(launcher, "invalid-list");

    EXPECT_TRUE(launcher.Quit());
}

// Nothing answers: the error box, the retry question, Cancel.
TEST_F(LauncherE2e, UnreachableServer)
{
    ScopedEnv host("VELMORA_TEST_GAME_HOST", "127.0.0.7");
    std::string game = GameFolder();
    MessageBoxAnswerer answerer({IDOK, IDCANCEL}, 120000, MessageBoxAnswerer::kProcessTree);
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "", "Update failed, please try again later", 120000));
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, kTitle);
    EXPECT_NE(boxes[0].text.find("CODE: "), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[1].text, "Update interrupted. Retry?");

    // Eight attempts at the list, 2 s apart, each on a fresh connection.
    std::vector<std::string> log = LogEndingWith("ERREUR Update failed, please try again later");
    EXPECT_EQ(CountStartingWith(log, "files/pc/filelist.txt?t="), 15u);
    EXPECT_EQ(CountWaits(Waits(), 2000), 7u);
    EXPECT_NE(boxes[0].text.find("CODE: 12029"), std::string::npos) << "not a connection failure";
    EXPECT_EQ(log.back(), "ERREUR Update failed, please try again later");
    ExpectV1Untouched(game);

    EXPECT_TRUE(launcher.Quit());
}

// A second launcher gives way after its twenty waits; the first goes on undisturbed.
TEST_F(LauncherE2e, SecondLauncherGivesWay)
{
    std::string game = GameFolder();
    Launcher first;
    ASSERT_TRUE(StartOverV1(first, "v1", "Ready to play"));
    std::string logBefore = LogText(game);

    std::string secondWaits = m_dir + "\\second-waits.txt";
    Launcher second;
    {
        ScopedEnv waits("VELMORA_WAIT_LOG", secondWaits);
        ASSERT_TRUE(second.Start(GameExe(), "", game));
    }
    MessageBoxAnswerer answerer({IDOK}, 60000, second.Id());
    DWORD exitCode = 1;
    ASSERT_TRUE(second.WaitForExit(60000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, kTitle);
    EXPECT_EQ(boxes[0].text, "The Velmora World launcher is already running.");
    std::vector<DWORD> waits = ReadWaits(secondWaits);
    EXPECT_EQ(waits, std::vector<DWORD>(20, 250));

    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Text(IDC_STATUS), "Ready to play");
    EXPECT_EQ(LogText(game), logBefore) << "the second launcher touched the log";
    EXPECT_TRUE(first.Quit());
}

// QUIT during a large download closes at once and keeps the part file; the next start resumes it.
TEST_F(LauncherE2e, QuitDuringDownloadThenResume)
{
    ScopedEnv host("VELMORA_TEST_GAME_HOST", "127.0.0.2");
    std::string game = GameFolder();
    InstallGameFolder("v1", game);
    // The first transfer of the large file crawls; later ones run at full speed.
    ServeOnFaultServer("big", "/files/pc/data/big.bin slow 65536 100\n/files/pc/data/big.bin normal\n");
    std::string part = JoinPath(game, "big.bin.part");
    const LONGLONG fullSize = 6 * 1024 * 1024;

    RequestLog firstRun = RequestLog::FaultServer();
    Launcher launcher;
    ASSERT_TRUE(launcher.Start(GameExe(), "", game));
    WaitFor([&] { return SizeOf(part) >= 256 * 1024 || !launcher.Running(); }, 60000);
    ASSERT_GE(SizeOf(part), 256 * 1024) << "the large download did not start: " << launcher.Text(IDC_STATUS);
    CheckPlayHidden(launcher, "downloading");

    ULONGLONG quitAt = GetTickCount64();
    launcher.ClickButton(IDC_QUIT);
    DWORD exitCode = 1;
    ASSERT_TRUE(launcher.WaitForExit(10000, &exitCode)) << "QUIT did not close the launcher";
    ULONGLONG closingMs = GetTickCount64() - quitAt;
    EXPECT_LT(closingMs, 3000u) << "the window took " << closingMs << " ms to close";
    EXPECT_EQ(exitCode, 0u);
    LONGLONG kept = SizeOf(part);
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, fullSize);
    EXPECT_FALSE(FileExists(JoinPath(game, "big.bin")));

    // The server logs the cut transfer once it notices; the next start's requests come after it.
    ASSERT_EQ(Paths(firstRun.DataSince(1)), std::vector<std::string>{"/files/pc/data/big.bin"});
    RequestLog resumed = RequestLog::FaultServer();
    Launcher again;
    ASSERT_TRUE(again.Start(GameExe(), "", game));
    ASSERT_TRUE(again.WaitForStatus("Ready to play")) << again.Text(IDC_STATUS);
    std::vector<Request> data = resumed.DataSince(1);
    ASSERT_EQ(data.size(), 1u) << ::testing::PrintToString(Paths(data));
    EXPECT_EQ(data[0].path, "/files/pc/data/big.bin");
    EXPECT_EQ(data[0].range, "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(data[0].status, 206);
    EXPECT_TRUE(HoldsGame("big", game));
    EXPECT_FALSE(FileExists(part));
    EXPECT_TRUE(again.Quit());
    ClearFaultServer();
}

// PLAY with the client gone: the error with the system's number, and PLAY works again.
TEST_F(LauncherE2e, PlayWithoutTheGameClient)
{
    std::string game = GameFolder();
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "v1", "Ready to play"));
    ASSERT_TRUE(DeleteFileA(JoinPath(game, "Vorn.exe").c_str()));

    HWND play = GetDlgItem(launcher.MainWindow(0), IDC_PLAY);
    for (int attempt = 0; attempt < 2; ++attempt) {
        MessageBoxAnswerer answerer({IDOK}, 30000, launcher.Id());
        launcher.ClickButton(IDC_PLAY);
        std::vector<AnsweredBox> boxes = answerer.Wait();
        ASSERT_EQ(boxes.size(), 1u) << "attempt " << attempt;
        EXPECT_EQ(boxes[0].title, kTitle);
        EXPECT_EQ(boxes[0].text, "Cannot start Vorn.exe (2)");
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(play) != FALSE; }, 10000)) << "PLAY stayed disabled";
        EXPECT_TRUE(launcher.Running());
    }
    EXPECT_EQ(CountStartingWith(LogMessages(game), "LANCE "), 2u);
    EXPECT_TRUE(launcher.Quit());
}
