// The everyday road of the launcher, run as a player runs it: install, update, play, self-update.
#include <shlobj.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include "res/resource.h"
#include "tests/e2e/LauncherFixture.h"
#include "tests/support/Input.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WindowSearch.h"

using namespace e2e;
using namespace testsupport;

namespace {

const char kReady[] = "Ready to play";

std::set<std::string> PathSet(const std::vector<Request>& requests)
{
    std::vector<std::string> paths = Paths(requests);
    return std::set<std::string>(paths.begin(), paths.end());
}

// The three list requests of one fetch, in order, each with the "?t=<digits>" query.
void ExpectListFetch(const std::vector<Request>& requests, size_t first)
{
    ASSERT_GE(requests.size(), first + 3);
    EXPECT_EQ(requests[first].path, "/files/pc/filelist.txt");
    EXPECT_EQ(requests[first + 1].path, "/files/pc/filelist.txt.sig");
    EXPECT_EQ(requests[first + 2].path, "/files/pc/Vers.txt");
    for (size_t i = first; i < first + 3; ++i) {
        const std::string& q = requests[i].query;
        EXPECT_TRUE(q.size() > 3 && q.compare(0, 3, "?t=") == 0 &&
                    q.find_first_not_of("0123456789", 3) == std::string::npos)
            << "query " << q;
        EXPECT_EQ(requests[i].status, 200) << requests[i].path;
    }
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

} // namespace

// A downloaded copy installs itself, the installed copy fetches every file, PLAY starts the game.
TEST_F(LauncherE2e, InstallFromDownloadFolderThenPlay)
{
    ServeOnNginx("v1");
    std::string downloads = m_dir + "\\Downloads";
    std::string downloaded = downloads + "\\VelmoraSetup.exe";
    CreateDirectoryA(downloads.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(LauncherExe().c_str(), downloaded.c_str(), FALSE));
    std::string game = m_dir + "\\Installed Game";
    std::string desktopLink = KnownFolder(CSIDL_DESKTOPDIRECTORY) + "\\Velmora World.lnk";
    DeleteFileA(desktopLink.c_str());
    m_requests = RequestLog::Nginx();

    Launcher first;
    ASSERT_TRUE(first.Start(downloaded, "", downloads));
    HWND installDlg = nullptr;
    WaitFor([&] { return (installDlg = first.DialogWith(IDC_INSTALL_FOLDER)) != nullptr || !first.Running(); }, 30000);
    ASSERT_TRUE(installDlg) << "no install dialog";
    SendMessageA(GetDlgItem(installDlg, IDC_INSTALL_FOLDER), WM_SETTEXT, 0, (LPARAM)game.c_str());
    ASSERT_TRUE(ClickAt(GetDlgItem(installDlg, IDOK)));
    DWORD exitCode = 1;
    ASSERT_TRUE(first.WaitForExit(30000, &exitCode)) << "the downloaded copy did not hand over";
    EXPECT_EQ(exitCode, 0u);

    Launcher installed;
    ASSERT_TRUE(installed.AdoptStartedBy(first.Id(), 30000)) << "the installed copy shows no window";
    ASSERT_TRUE(installed.WaitForStatus(kReady)) << installed.Text(IDC_STATUS);

    EXPECT_TRUE(HoldsGame("v1", game));
    EXPECT_EQ(ReadWholeFile(JoinPath(game, "filelist.txt")), ReadWholeFile(GameDir("v1") + "\\filelist.txt"));
    EXPECT_FALSE(FileExists(JoinPath(game, "filelist.new")));
    EXPECT_FALSE(FileExists(downloaded)) << "the downloaded copy was not deleted";
    EXPECT_TRUE(FileExists(desktopLink));
    EXPECT_EQ(installed.Text(IDC_VERSION), "Velmora World  V.1.0.1 test");

    // Every listed file but the launcher itself (the installed copy is that very file) was fetched.
    std::set<std::string> expected;
    for (const std::string& name : ListedNames("v1"))
        if (name != "Velmora World.exe")
            expected.insert(DataPath(name));
    std::vector<Request> data = m_requests.DataSince(expected.size());
    EXPECT_EQ(PathSet(data), expected);
    EXPECT_EQ(data.size(), expected.size()) << "a file was fetched twice";

    std::vector<std::string> log = LogMessages(game);
    EXPECT_TRUE(Contains(log, "INSTALLE, telecharge supprime : " + downloaded));
    EXPECT_EQ(CountStartingWith(log, "NeedDownload: "), expected.size());
    EXPECT_TRUE(Contains(log, "PRET"));

    CheckReadyWindow(installed, "install-ready");

    installed.ClickButton(IDC_PLAY);
    ASSERT_TRUE(installed.WaitForExit(15000, &exitCode)) << "the launcher stayed open after PLAY";
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(WaitFor([&] { return FileExists(JoinPath(game, "VornStarted.txt")); }, 15000))
        << "the game client did not start";
    std::map<std::string, std::string> vorn = ReadVornRecord(game);
    EXPECT_EQ(vorn["argc"], "1");
    EXPECT_EQ(vorn["arg1"], "pelquin");
    EXPECT_EQ(vorn["cwd"], game);
    EXPECT_EQ(vorn["cmdline"], "\"" + game + "\\Vorn.exe\" pelquin");
    EXPECT_TRUE(Contains(LogMessages(game), "LANCE \"" + game + "\\Vorn.exe\" pelquin"));
}

// Changed files only are fetched; with nothing changed the launcher is ready after the list alone.
TEST_F(LauncherE2e, EverydayStartFetchesOnlyChangedFilesThenNothing)
{
    std::string game = GameFolder();
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "v2", kReady));

    std::vector<Request> all = m_requests.Since(5);
    ExpectListFetch(all, 0);
    std::vector<Request> data = m_requests.DataSince(2);
    EXPECT_EQ(Paths(data), (std::vector<std::string>{DataPath("maps/hills.dat"), DataPath("sounds/rain.ogg")}));
    EXPECT_TRUE(HoldsGame("v2", game));
    EXPECT_EQ(ReadWholeFile(JoinPath(game, "filelist.txt")), ReadWholeFile(GameDir("v2") + "\\filelist.txt"));
    EXPECT_FALSE(FileExists(JoinPath(game, "filelist.new")));
    EXPECT_EQ(launcher.Text(IDC_VERSION), "Velmora World  V.1.0.2 test");
    EXPECT_EQ(launcher.Text(IDC_SPEED), "");
    std::vector<std::string> log = LogMessages(game);
    EXPECT_EQ(CountStartingWith(log, "NeedDownload: "), 2u);
    EXPECT_EQ(log.back(), "PRET");
    CheckReadyWindow(launcher, "update-ready");

    ASSERT_TRUE(launcher.Quit());

    // Nothing changed since: the list, its signature and the version file, then ready.
    RequestLog second = RequestLog::Nginx();
    Launcher again;
    ASSERT_TRUE(again.Start(GameExe(), "", game));
    ASSERT_TRUE(again.WaitForStatus(kReady)) << again.Text(IDC_STATUS);

    std::vector<Request> secondRequests = second.Since(3);
    ExpectListFetch(secondRequests, 0);
    EXPECT_EQ(secondRequests.size(), 3u);
    log = LogMessages(game);
    EXPECT_EQ(CountOf(log, "Connected"), 1u) << "a second worker run";
    EXPECT_EQ(CountStartingWith(log, "NeedDownload: "), 0u);
    EXPECT_FALSE(Contains(log, "ERREUR")) << "the everyday start kept the previous log";
    EXPECT_TRUE(HoldsGame("v2", game));

    EXPECT_TRUE(again.Quit());
}

// The server lists a new launcher: it alone is fetched, the launcher restarts into it with
// "/relance", and the restarted launcher fetches the list again and updates the rest.
TEST_F(LauncherE2e, SelfUpdateRestartsIntoTheNewBuild)
{
    std::string game = GameFolder();
    Launcher old;
    ASSERT_TRUE(StartOverV1(old, "selfupdate", ""));
    DWORD exitCode = 1;
    ASSERT_TRUE(old.WaitForExit(60000, &exitCode)) << "the old launcher did not hand over: " << old.Text(IDC_STATUS);
    EXPECT_EQ(exitCode, 0u);
    Launcher restarted;
    ASSERT_TRUE(restarted.AdoptStartedBy(old.Id(), 30000)) << "no restarted launcher";
    ASSERT_TRUE(restarted.WaitForStatus(kReady)) << restarted.Text(IDC_STATUS);

    std::vector<Request> all = m_requests.Since(9);
    ExpectListFetch(all, 0);
    ASSERT_EQ(all.size(), 9u) << "requests: " << ::testing::PrintToString(Paths(all));
    EXPECT_EQ(all[3].path, DataPath("Velmora World.exe"));
    ExpectListFetch(all, 4);
    std::vector<std::string> paths = Paths(all);
    EXPECT_EQ(std::vector<std::string>(paths.begin() + 7, paths.end()),
              (std::vector<std::string>{DataPath("maps/hills.dat"), DataPath("sounds/rain.ogg")}));

    std::string exe = GameExe();
    EXPECT_EQ(ReadWholeFile(exe), ReadWholeFile(NextLauncherExe()));
    EXPECT_FALSE(FileExists(exe + ".old")) << "the restarted launcher left the old executable";
    EXPECT_TRUE(HoldsGame("selfupdate", game));
    EXPECT_EQ(ReadWholeFile(JoinPath(game, "filelist.txt")), ReadWholeFile(GameDir("selfupdate") + "\\filelist.txt"));

    // One log for both processes: the old one's lines, the restart, then the new one's.
    std::vector<std::string> log = LogMessages(game);
    auto restart = std::find(log.begin(), log.end(), "RELANCE \"" + exe + "\" /relance");
    ASSERT_NE(restart, log.end());
    EXPECT_TRUE(std::find(log.begin(), restart, "NeedDownload: Velmora World.exe") != restart);
    EXPECT_EQ(std::count(log.begin(), restart, std::string("PRET")), 0);
    EXPECT_EQ(std::count(restart, log.end(), std::string("NeedDownload: maps/hills.dat")), 1);
    EXPECT_EQ(log.back(), "PRET");

    EXPECT_TRUE(restarted.Quit());
}

// The same road in French (run with LC_ALL=fr_FR.UTF-8, see CMakeLists.txt): every text in French.
TEST_F(LauncherE2e, FrenchRoad)
{
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_FRENCH) << "run this test with LC_ALL=fr_FR.UTF-8";
    std::string game = GameFolder();
    Launcher launcher;
    ASSERT_TRUE(StartOverV1(launcher, "v2", "Prêt à jouer"));
    EXPECT_TRUE(HoldsGame("v2", game));
    EXPECT_EQ(Paths(m_requests.DataSince(2)),
              (std::vector<std::string>{DataPath("maps/hills.dat"), DataPath("sounds/rain.ogg")}));
    // The log is the same in both languages.
    EXPECT_EQ(LogMessages(game).back(), "PRET");
    EXPECT_EQ(launcher.Text(IDC_PLAY), "JOUER");
    EXPECT_EQ(launcher.Text(IDC_SIGNUP), "INSCRIPTION");
    EXPECT_EQ(launcher.Text(IDC_WEBSITE), "SITE");
    EXPECT_EQ(launcher.Text(IDC_QUIT), "QUITTER");
    EXPECT_EQ(launcher.Text(IDC_VERSION), "Velmora World  V.1.0.2 test");
    CheckReadyWindow(launcher, "french-ready");

    // PLAY in French, with the client missing: the French error and PLAY back.
    DeleteFileA(JoinPath(game, "Vorn.exe").c_str());
    MessageBoxAnswerer answerer({IDOK}, 30000, launcher.Id());
    launcher.ClickButton(IDC_PLAY);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Impossible de lancer Vorn.exe (2)");
    EXPECT_TRUE(launcher.Quit());
}
