// Where the launcher works and what it clears at start: a launcher at a drive root, game folders
// too long for the program's paths and one that just fits, the previous run's leftovers.
#include <map>
#include "res/resource.h"
#include "tests/e2e/LauncherFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LongPaths.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WindowSearch.h"

using namespace e2e;
using namespace testsupport;

namespace {

const char kReady[] = "Ready to play";

// Every file and folder below the folder, with its size and time of last change. Read without
// opening the files, whose paths may be longer than the ANSI functions open.
std::map<std::string, std::string> Contents(const std::string& folder)
{
    std::map<std::string, std::string> contents;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return contents;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            contents[name + "\\"] = "";
            for (const auto& below : Contents(folder + "\\" + name))
                contents[name + "\\" + below.first] = below.second;
        } else {
            contents[name] = std::to_string(found.nFileSizeLow) + " bytes, changed " +
                             std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
                             std::to_string(found.ftLastWriteTime.dwLowDateTime);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return contents;
}

} // namespace

class LauncherStartup : public LauncherE2e {
protected:
    // A game folder whose full path has exactly `length` characters, with the v1 game in it.
    std::string GameFolderOfLength(size_t length)
    {
        std::string base = m_dir + "\\";
        std::string folder = base + std::string(length - base.size(), 'L');
        EXPECT_TRUE(RemoveLongTree(folder));
        InstallGameFolder("v1", folder);
        return folder;
    }

    // Starts the folder's launcher, which must stop with the one message, in this language, having
    // touched nothing in the folder, fetched nothing and shown no window.
    void ExpectStopsUntouched(const std::string& folder, const std::string& message)
    {
        // Copied in: Wine's ANSI CreateFileA opens no path this long, its CopyFileA does.
        std::string leftover = m_dir + "\\leftover.txt";
        ASSERT_TRUE(WriteWholeFile(leftover, "01/01-00:00:00\tprevious run\r\n"));
        for (const char* name : {"PatchLog.txt", "Vorn.exe.old", "Velmora World.exe.old"})
            ASSERT_TRUE(CopyFileA(leftover.c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
        std::map<std::string, std::string> before = Contents(folder);
        RequestLog requests = RequestLog::Nginx();
        std::string exitCodeFile = m_dir + "\\exit-code.txt";
        DeleteFileA(exitCodeFile.c_str());

        ASSERT_TRUE(StartThroughUnixShell(folder + "\\Velmora World.exe", "", folder, exitCodeFile));
        // The launcher's box, or its window when it went on: no other program runs beside this test.
        HWND shown = WaitForTopWindow(
            [](HWND w) { return ProcessOf(w) != GetCurrentProcessId() && (IsMessageBox(w) || IsDialogWith(w, IDC_STATUS)); },
            60000);
        ASSERT_TRUE(shown) << "the launcher showed nothing";
        ChildProcess launcher;
        ASSERT_TRUE(launcher.Adopt(ProcessOf(shown)));
        if (IsDialogWith(shown, IDC_STATUS)) {
            launcher.Terminate();
            FAIL() << "the launcher went on to its window";
        }
        MessageBoxAnswerer answerer({IDOK}, 30000, launcher.Id());
        std::vector<AnsweredBox> boxes = answerer.Wait();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, "Velmora World");
        EXPECT_EQ(boxes[0].text, message);
        std::string exitCode;
        EXPECT_TRUE(WaitFor([&] { return !(exitCode = ReadIfReadable(exitCodeFile)).empty(); }, 30000))
            << "the launcher did not end";
        EXPECT_EQ(exitCode, "0\n") << "the launcher did not end normally";

        EXPECT_TRUE(Contents(folder) == before) << "the folder was changed";
        EXPECT_TRUE(requests.Since().empty()) << "the launcher fetched something";
    }
};

// Started from another folder of its drive, a launcher at the drive's root keeps its game, list and
// log at the root, and starts the game client there. Drive M: is the build's e2e\drive-m folder
// (see CMakeLists.txt).
TEST_F(LauncherStartup, LauncherAtADriveRootKeepsItsGameThere)
{
    std::string mapped = BuildPath("e2e\\drive-m");
    // Only that folder may be emptied through M:.
    ASSERT_TRUE(WriteWholeFile(mapped + "\\drive.txt", "m"));
    ASSERT_EQ(ReadIfReadable("M:\\drive.txt"), "m") << "drive M: is not " << mapped;
    InstallGameFolder("v1", mapped);
    std::string elsewhere = mapped + "\\elsewhere";
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    ServeOnNginx("v2");

    Launcher launcher;
    ASSERT_TRUE(launcher.Start("M:\\Velmora World.exe", "", "M:\\elsewhere"));
    ASSERT_TRUE(launcher.WaitForStatus(kReady)) << launcher.Text(IDC_STATUS);

    EXPECT_TRUE(HoldsGame("v2", mapped));
    EXPECT_EQ(ReadWholeFile(mapped + "\\filelist.txt"), ReadWholeFile(GameDir("v2") + "\\filelist.txt"));
    EXPECT_FALSE(FileExists(mapped + "\\filelist.new"));
    EXPECT_TRUE(Contains(LogMessages(mapped), "PRET"));
    EXPECT_TRUE(Contents(elsewhere).empty()) << "the launcher worked in the folder it was started from";

    launcher.ClickButton(IDC_PLAY);
    ASSERT_TRUE(launcher.WaitForExit(15000)) << "the launcher stayed open after PLAY";
    ASSERT_TRUE(WaitFor([&] { return FileExists(mapped + "\\VornStarted.txt"); }, 15000))
        << "the game client did not start at the root";
    std::map<std::string, std::string> vorn = ReadVornRecord(mapped);
    EXPECT_EQ(vorn["cwd"], "M:\\");
    EXPECT_EQ(vorn["cmdline"], "\"M:\\Vorn.exe\" pelquin");
    EXPECT_TRUE(Contains(LogMessages(mapped), "LANCE \"M:\\Vorn.exe\" pelquin"));
}

// The launcher's own path does not fit the system's buffer (268 characters), or fits but leaves no
// room for the name of its own download (255 + ".part").
TEST_F(LauncherStartup, GameFolderTooLongForItsPathsStopsBeforeTouchingIt)
{
    ServeOnNginx("v1");
    for (size_t length : {250, 237}) {
        SCOPED_TRACE("game folder of " + std::to_string(length) + " characters");
        std::string folder = GameFolderOfLength(length);
        ExpectStopsUntouched(folder, "The game folder's path is too long: move Velmora World to a shorter folder.");
        EXPECT_TRUE(RemoveLongTree(folder));
    }
}

// Run with LC_ALL=fr_FR.UTF-8 (see CMakeLists.txt).
TEST_F(LauncherStartup, FrenchGameFolderTooLong)
{
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_FRENCH) << "run this test with LC_ALL=fr_FR.UTF-8";
    ServeOnNginx("v1");
    std::string folder = GameFolderOfLength(250);
    ExpectStopsUntouched(folder, "Le chemin du dossier du jeu est trop long : déplacez Velmora World dans un dossier "
                                 "plus court.");
    EXPECT_TRUE(RemoveLongTree(folder));
}

// The longest game folder the program takes: "Velmora World.exe.part" in it has 259 characters.
TEST_F(LauncherStartup, GameFolderThatJustFitsIsUpdated)
{
    std::string game = GameFolderOfLength(236);
    ServeOnNginx("v2");
    Launcher launcher;
    ASSERT_TRUE(launcher.Start(game + "\\Velmora World.exe", "", game));
    ASSERT_TRUE(launcher.WaitForStatus(kReady)) << launcher.Text(IDC_STATUS);
    EXPECT_TRUE(HoldsGame("v2", game));
    EXPECT_EQ(ReadWholeFile(game + "\\filelist.txt"), ReadWholeFile(GameDir("v2") + "\\filelist.txt"));
    std::vector<std::string> log = LogEndingWith(game, "PRET");
    EXPECT_EQ(CountStartingWith(log, "NeedDownload: "), 2u);
    EXPECT_TRUE(launcher.Quit());
}

// Every start deletes the launcher's and the game client's ".old" copies; the log is kept only by the
// restart after a self-update.
TEST_F(LauncherStartup, StartRemovesOldCopiesAndKeepsTheLogOnlyAfterARestart)
{
    std::string game = GameFolder();
    InstallGameFolder("v1", game);
    ServeOnNginx("v1");
    std::vector<std::string> leftovers = {GameExe() + ".old", game + "\\Vorn.exe.old"};
    for (const std::string& path : leftovers)
        ASSERT_TRUE(WriteWholeFile(path, "left over"));
    ASSERT_TRUE(WriteWholeFile(game + "\\PatchLog.txt", "01/01-00:00:00\tprevious run\r\n"));

    Launcher everyday;
    ASSERT_TRUE(everyday.Start(GameExe(), "", game));
    ASSERT_TRUE(everyday.WaitForStatus(kReady)) << everyday.Text(IDC_STATUS);
    for (const std::string& path : leftovers)
        EXPECT_FALSE(FileExists(path)) << path;
    std::vector<std::string> firstRun = LogEndingWith("PRET");
    EXPECT_FALSE(Contains(firstRun, "previous run")) << "an everyday start kept the old log";
    ASSERT_TRUE(everyday.Quit());

    for (const std::string& path : leftovers)
        ASSERT_TRUE(WriteWholeFile(path, "left over"));
    Launcher restarted;
    ASSERT_TRUE(restarted.Start(GameExe(), "/relance", game));
    ASSERT_TRUE(restarted.WaitForStatus(kReady)) << restarted.Text(IDC_STATUS);
    for (const std::string& path : leftovers)
        EXPECT_FALSE(FileExists(path)) << path;
    std::vector<std::string> log = LogMessages(game);
    ASSERT_GT(log.size(), firstRun.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + firstRun.size()), firstRun)
        << "the restart did not continue the log";
    EXPECT_EQ(log.back(), "PRET");
    EXPECT_TRUE(restarted.Quit());
}
