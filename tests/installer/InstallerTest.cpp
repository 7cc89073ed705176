// The install steps in this process: game-folder test, the dialog's answer, copy, shortcuts, hand-over
// failures, and the deletion of the downloaded copy.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <mbctype.h>
#include <functional>
#include <string>
#include <vector>

#include "installer/Installer.h"
#include "res/resource.h"
#include "tests/installer/DialogDriver.h"
#include "tests/installer/InstallTestKit.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"

using namespace installtest;
using testsupport::AnsweredBox;
using testsupport::FileExists;
using testsupport::IsFolder;
using testsupport::LogMessages;
using testsupport::MessageBoxAnswerer;
using testsupport::ReadWholeFile;
using testsupport::ScratchDir;
using testsupport::WaitRecorder;
using testsupport::WriteWholeFile;

TEST(GetDirectoryPart, CutsAtTheLastBackslash) {
    EXPECT_STREQ(GetDirectoryPart("C:\\Games\\Velmora World\\Velmora World.exe"), "C:\\Games\\Velmora World");
    EXPECT_STREQ(GetDirectoryPart("C:\\Games\\"), "C:\\Games");
    EXPECT_STREQ(GetDirectoryPart("Setup.exe"), "Setup.exe");
    EXPECT_STREQ(GetDirectoryPart("\\Setup.exe"), "\\Setup.exe");
    EXPECT_STREQ(GetDirectoryPart("\\Games\\Setup.exe"), "\\Games");
    EXPECT_STREQ(GetDirectoryPart(""), "");
}

// "C:" would name the current folder of drive C:, wherever that is.
TEST(GetDirectoryPart, KeepsTheBackslashOfADriveRoot) {
    EXPECT_STREQ(GetDirectoryPart("C:\\Setup.exe"), "C:\\");
    EXPECT_STREQ(GetDirectoryPart("m:\\Velmora World"), "m:\\");
    EXPECT_STREQ(GetDirectoryPart("C:\\"), "C:\\") << "the root is its own folder part";
    EXPECT_STREQ(GetDirectoryPart("C:Games\\Setup.exe"), "C:Games");
    EXPECT_STREQ(GetDirectoryPart("1:\\Setup.exe"), "1:") << "not a drive";
}

TEST(PathInFolder, JoinsWithOneBackslash) {
    EXPECT_STREQ(PathInFolder("C:\\Games", "Velmora World.exe"), "C:\\Games\\Velmora World.exe");
    EXPECT_STREQ(PathInFolder("C:\\", "Velmora World.exe"), "C:\\Velmora World.exe");
    EXPECT_STREQ(PathInFolder("C:", "Vorn.exe"), "C:\\Vorn.exe");
    EXPECT_TRUE(IsDriveRoot("z:\\"));
    for (const char* path : {"C:", "C:\\\\", "C:\\Games", "\\", "", ":\\"})
        EXPECT_FALSE(IsDriveRoot(path)) << path;
}

// In a double-byte code page the second byte of a character can be 0x5C; it must not be taken for a
// backslash ("\x95\x5C" is one Shift-JIS character).
TEST(GetDirectoryPart, NeverCutsInsideADoubleByteCharacter) {
    const int previous = _getmbcp();
    ASSERT_EQ(_setmbcp(932), 0);
    CString inFolder = GetDirectoryPart("C:\\\x95\x5C\\Setup.exe");
    CString endingWithIt = GetDirectoryPart("C:\\Games\\\x95\x5C");
    CString onlyIt = GetDirectoryPart("\x95\x5C");
    _setmbcp(previous);
    EXPECT_STREQ(inFolder, "C:\\\x95\x5C");
    EXPECT_STREQ(endingWithIt, "C:\\Games");
    EXPECT_STREQ(onlyIt, "\x95\x5C");
}

TEST(IsGameFolder, FindsAnyOfTheThreeMarkersAsFileOrFolder) {
    std::string scratch = ScratchDir();
    auto folderWith = [&](const std::string& name, const std::vector<std::string>& files) {
        std::string folder = testsupport::FreshFolder(scratch + "\\" + name);
        for (const std::string& file : files)
            EXPECT_TRUE(WriteWholeFile(folder + "\\" + file, "x"));
        return folder;
    };
    EXPECT_FALSE(IsGameFolder(folderWith("empty", {}).c_str()));
    EXPECT_FALSE(IsGameFolder(
        folderWith("others", {"filelist.sig", "Vorn.exe.old", "filelist.txt.part", "Vers.txt", "PatchLog.txt"})
            .c_str()));
    EXPECT_TRUE(IsGameFolder(folderWith("vorn", {"Vorn.exe"}).c_str()));
    EXPECT_TRUE(IsGameFolder(folderWith("vornUpper", {"VORN.EXE"}).c_str()));
    EXPECT_TRUE(IsGameFolder(folderWith("new", {"filelist.new"}).c_str()));
    EXPECT_TRUE(IsGameFolder(folderWith("txt", {"filelist.txt"}).c_str()));

    std::string sub = folderWith("sub", {});
    ASSERT_TRUE(CreateDirectoryA((sub + "\\filelist.txt").c_str(), NULL));
    EXPECT_TRUE(IsGameFolder(sub.c_str()));
    EXPECT_TRUE(FileExistsIn(sub.c_str(), "filelist.txt"));
    EXPECT_FALSE(FileExistsIn(sub.c_str(), "filelist.new"));
    EXPECT_FALSE(IsGameFolder((scratch + "\\does not exist").c_str()));
}

class RunInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        PublishVersionFile("V.1.0\n\n200000000\n");
        RemoveShortcuts();
        m_scratch = ScratchDir();
        m_mutex = CreateMutexA(NULL, FALSE, m_mutexName.c_str());
        ASSERT_NE(m_mutex, (HANDLE)NULL);
        m_held = m_mutex;
    }
    void TearDown() override {
        if (m_mutex)
            CloseHandle(m_mutex);
        RemoveShortcuts();
    }

    // A launcher file in a folder of its own.
    std::string Launcher(const std::string& folder, const std::string& name, const std::string& content) {
        std::string path = testsupport::FreshFolder(m_scratch + "\\" + folder) + "\\" + name;
        EXPECT_TRUE(WriteWholeFile(path, content));
        return path;
    }

    // RunInstaller with the dialog driven by drive (NULL: no dialog expected, and one would be cancelled).
    InstallResult Run(const std::string& exePath, const std::function<void(HWND)>& drive, bool* shown = nullptr) {
        InstallResult result = INSTALL_CONTINUE;
        bool appeared = DriveInstallDialog([&] { result = RunInstaller(exePath.c_str(), &m_mutex); },
                                           drive ? drive : [](HWND) {});
        if (shown)
            *shown = appeared;
        return result;
    }

    // RunInstaller with `folder` given and accepted in the dialog; `boxes` gets what it shows afterwards.
    InstallResult InstallTo(const std::string& exePath, const std::string& folder, std::vector<AnsweredBox>& boxes) {
        return Run(exePath, [&](HWND dialog) {
            SetItemText(dialog, IDC_INSTALL_FOLDER, folder);
            EXPECT_EQ(PressOkAndReadWarning(dialog), "") << "the dialog refused the folder";
            MessageBoxAnswerer after({IDOK}, kWindowWaitMs);
            boxes = after.Wait();
        });
    }

    std::string m_scratch;
    const std::string m_mutexName = "VelmoraInstallerTest-" + std::to_string(GetCurrentProcessId());
    HANDLE m_mutex = NULL;
    HANDLE m_held = NULL;
};

TEST_F(RunInstallerTest, AGameFolderContinuesWithoutADialog) {
    for (const char* marker : {"Vorn.exe", "filelist.new", "filelist.txt"}) {
        std::string exe = Launcher("game", "Setup.exe", "launcher");
        std::string folder = exe.substr(0, exe.rfind('\\'));
        if (std::string(marker) == "filelist.txt")
            ASSERT_TRUE(CreateDirectoryA((folder + "\\" + marker).c_str(), NULL)); // a folder of that name
        else
            ASSERT_TRUE(WriteWholeFile(folder + "\\" + marker, "x"));
        bool shown = true;
        EXPECT_EQ(Run(exe, nullptr, &shown), INSTALL_CONTINUE) << marker;
        EXPECT_FALSE(shown) << marker;
        EXPECT_EQ(m_mutex, m_held);
        EXPECT_FALSE(FileExists(DesktopShortcut()));
    }
}

TEST_F(RunInstallerTest, CancellingTheDialogEndsTheProcessAndChangesNothing) {
    std::string exe = Launcher("download", "Setup.exe", "launcher");
    bool shown = false;
    EXPECT_EQ(Run(exe, [](HWND dialog) { Press(dialog, IDCANCEL); }, &shown), INSTALL_EXIT);
    EXPECT_TRUE(shown);
    EXPECT_EQ(m_mutex, m_held);
    EXPECT_TRUE(MutexExists(m_mutexName));
    EXPECT_FALSE(FileExists(DesktopShortcut()));
    EXPECT_FALSE(FileExists(ProgramsShortcut()));

    // Closing the window is a cancel as well.
    EXPECT_EQ(Run(exe, [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }), INSTALL_EXIT);
    EXPECT_FALSE(FileExists(DesktopShortcut()));
}

TEST_F(RunInstallerTest, ItsOwnFolderInAnotherCaseOnlyMakesShortcutsToItself) {
    std::string exe = Launcher("Own Folder", "VelmoraSetup.exe", "launcher");
    std::string folder = exe.substr(0, exe.rfind('\\'));
    std::string warning = "unset";
    EXPECT_EQ(Run(exe,
                  [&](HWND dialog) {
                      SetItemText(dialog, IDC_INSTALL_FOLDER, Upper(folder));
                      warning = PressOkAndReadWarning(dialog);
                  }),
              INSTALL_CONTINUE);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(m_mutex, m_held) << "no hand-over";
    EXPECT_FALSE(FileExists(folder + "\\Velmora World.exe"));
    EXPECT_EQ(ReadWholeFile(exe), "launcher");
    // The running executable under its own name.
    ExpectShortcutsTo(exe, folder);
}

TEST_F(RunInstallerTest, AFailedCopyShowsTheFolderAndCodeAndMakesNoShortcut) {
    std::string exe = Launcher("download", "Setup.exe", "launcher");
    std::string chosen = m_scratch + "\\Chosen";
    // A folder where the executable should go: the copy cannot replace it.
    std::string blocked = chosen + "\\Velmora World.exe";
    ASSERT_EQ(SHCreateDirectoryExA(NULL, blocked.c_str(), NULL), ERROR_SUCCESS);
    ASSERT_FALSE(CopyFileA(exe.c_str(), blocked.c_str(), FALSE));
    DWORD code = GetLastError();

    std::vector<AnsweredBox> boxes;
    EXPECT_EQ(InstallTo(exe, chosen, boxes), INSTALL_EXIT);
    char expected[512];
    snprintf(expected, sizeof expected,
             Txt("Copie du lanceur impossible dans %s (%u).", "Cannot copy the launcher to %s (%u)."), chosen.c_str(),
             (unsigned)code);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(boxes[0].title, testsupport::ProgramName());
    EXPECT_FALSE(FileExists(DesktopShortcut()));
    EXPECT_FALSE(FileExists(ProgramsShortcut()));
    EXPECT_EQ(m_mutex, m_held) << "the mutex stays until the process ends";
    EXPECT_TRUE(MutexExists(m_mutexName));
    EXPECT_TRUE(IsFolder(blocked));
}

TEST_F(RunInstallerTest, AnInstalledCopyThatCannotStartLeavesCopyAndShortcuts) {
    // Not a program: the copy works, starting it does not.
    std::string exe = Launcher("download", "Setup.exe", "this is no executable");
    std::string chosen = m_scratch + "\\Games\\Velmora World";
    ASSERT_TRUE(testsupport::WriteWholeFile(chosen + "\\Velmora World.exe", "an older launcher"));

    std::vector<AnsweredBox> boxes;
    EXPECT_EQ(InstallTo(exe, chosen + "\\", boxes), INSTALL_EXIT);
    char expected[512];
    snprintf(expected, sizeof expected,
             Txt("Le jeu est installé dans %s : lancez-le depuis le raccourci du Bureau.",
                 "The game is installed in %s: start it from the Desktop shortcut."),
             chosen.c_str());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(m_mutex, (HANDLE)NULL) << "closed for the installed copy";
    EXPECT_FALSE(MutexExists(m_mutexName));
    m_held = NULL;

    std::string target = chosen + "\\Velmora World.exe";
    EXPECT_EQ(ReadWholeFile(target), "this is no executable") << "replaced by the copy";
    EXPECT_EQ(ReadWholeFile(exe), "this is no executable") << "the first copy stays";
    ExpectShortcutsTo(target, chosen);
}

// With the current folder elsewhere on the drive, "N:\\" is the drive's root and nothing else.
TEST_F(RunInstallerTest, InstallsInADriveRoot) {
    MappedDrive drive;
    ASSERT_TRUE(drive.Ready());
    testsupport::CurrentFolder downloads(MappedDrive::Letter(), "Downloads");
    std::string exe = downloads.Path("Setup.exe");
    ASSERT_TRUE(WriteWholeFile(exe, "this is no executable"));

    std::vector<AnsweredBox> boxes;
    EXPECT_EQ(InstallTo(exe, MappedDrive::Root(), boxes), INSTALL_EXIT);
    ASSERT_EQ(boxes.size(), 1u) << "the copy is no program: it cannot start";
    EXPECT_EQ(boxes[0].text, std::string(Txt("Le jeu est installé dans N:\\ : lancez-le depuis le raccourci du Bureau.",
                                             "The game is installed in N:\\: start it from the Desktop shortcut.")));
    EXPECT_EQ(ReadWholeFile("N:\\Velmora World.exe"), "this is no executable");
    EXPECT_FALSE(FileExists(downloads.Path("Velmora World.exe")));
    ExpectShortcutsTo("N:\\Velmora World.exe", "N:\\");
}

TEST_F(RunInstallerTest, ALauncherInADriveRootInstallsInPlaceThere) {
    MappedDrive drive;
    ASSERT_TRUE(drive.Ready());
    testsupport::CurrentFolder elsewhere(MappedDrive::Letter(), "Downloads");
    std::string exe = MappedDrive::Root() + "Setup.exe";
    ASSERT_TRUE(WriteWholeFile(exe, "launcher"));

    std::string warning = "unset";
    EXPECT_EQ(Run(exe,
                  [&](HWND dialog) {
                      SetItemText(dialog, IDC_INSTALL_FOLDER, "n:\\");
                      warning = PressOkAndReadWarning(dialog);
                  }),
              INSTALL_CONTINUE);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(m_mutex, m_held) << "no hand-over";
    EXPECT_FALSE(FileExists("N:\\Velmora World.exe"));
    ExpectShortcutsTo(exe, "N:\\");
}

namespace {

class DeleteDownloadedCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_own = m_game.Path("Velmora World.exe");
        ASSERT_TRUE(WriteWholeFile(m_own, "launcher build 7"));
        m_downloads = testsupport::FreshFolder(ScratchDir() + "\\downloads");
    }

    std::string Downloaded(const std::string& name, const std::string& content = "launcher build 7") {
        std::string path = m_downloads + "\\" + name;
        EXPECT_TRUE(WriteWholeFile(path, content));
        return path;
    }

    // Opened without delete sharing, as a running program's image is.
    static HANDLE Lock(const std::string& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    }

    testsupport::CurrentFolder m_game; // where the log goes
    std::string m_own, m_downloads;
};

} // namespace

TEST_F(DeleteDownloadedCopyTest, DeletesTheSameProgramWithAnyCaseOfExe) {
    MessageBoxAnswerer boxes({IDOK}, 60000);
    for (const char* name : {"Setup.exe", "Setup2.EXE", "Setup3.Exe"}) {
        std::string copy = Downloaded(name);
        WaitRecorder pauses(WaitRecorder::kNoWait);
        DeleteDownloadedCopy(m_own.c_str(), copy.c_str());
        EXPECT_FALSE(FileExists(copy)) << name;
        EXPECT_TRUE(pauses.Waits().empty());
    }
    std::vector<std::string> expected;
    for (const char* name : {"Setup.exe", "Setup2.EXE", "Setup3.Exe"})
        expected.push_back("INSTALLE, telecharge supprime : " + m_downloads + "\\" + name);
    EXPECT_EQ(LogMessages(m_game.Path()), expected);
    EXPECT_EQ(ReadWholeFile(m_own), "launcher build 7");
    EXPECT_TRUE(boxes.Answered().empty());
}

TEST_F(DeleteDownloadedCopyTest, KeepsWhatIsNotProvenToBeTheSameProgram) {
    std::vector<std::string> kept = {
        Downloaded("Setup.exe.bak"), Downloaded("Setup.exe.part"), Downloaded("Setup"), Downloaded("Setup.com"),
        Downloaded("Other.exe", "launcher build 6"), Downloaded("Empty.exe", ""),
    };
    {
        WaitRecorder pauses(WaitRecorder::kNoWait);
        for (const std::string& copy : kept)
            DeleteDownloadedCopy(m_own.c_str(), copy.c_str());
        // Its own path, whatever the case: never deleted.
        DeleteDownloadedCopy(m_own.c_str(), Upper(m_own).c_str());
        // An own file that cannot be hashed proves nothing.
        std::string copy = Downloaded("Setup.exe");
        kept.push_back(copy);
        DeleteDownloadedCopy(m_game.Path("missing.exe").c_str(), copy.c_str());
        EXPECT_TRUE(pauses.Waits().empty());
    }
    for (const std::string& copy : kept)
        EXPECT_TRUE(FileExists(copy)) << copy;
    EXPECT_TRUE(FileExists(m_own));
    EXPECT_TRUE(LogMessages(m_game.Path()).empty()) << "no log line";
}

TEST_F(DeleteDownloadedCopyTest, ACopyLockedThroughoutIsReportedOnceAfterFortyAttempts) {
    std::string copy = Downloaded("VelmoraSetup.exe");
    HANDLE lock = Lock(copy);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_FALSE(DeleteFileA(copy.c_str()));
    DWORD code = GetLastError();

    WaitRecorder recorder(1000);
    MessageBoxAnswerer boxes({IDOK}, 30000);
    DeleteDownloadedCopy(m_own.c_str(), copy.c_str());
    std::vector<AnsweredBox> answered = boxes.Wait();
    CloseHandle(lock);

    EXPECT_EQ(recorder.Waits(), std::vector<DWORD>(40, 250));
    EXPECT_TRUE(FileExists(copy));
    char line[512];
    snprintf(line, sizeof line, "INSTALLE, telecharge NON supprime (%u) : %s", (unsigned)code, copy.c_str());
    EXPECT_EQ(LogMessages(m_game.Path()), std::vector<std::string>{line});
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(answered[0].text, std::string(Txt("Velmora World est installé. Vous pouvez supprimer le fichier "
                                                "téléchargé :\n",
                                                "Velmora World is installed. You can delete the downloaded file:\n")) +
                                    copy);
}

TEST_F(DeleteDownloadedCopyTest, ACopyReleasedAfterTwoAttemptsIsDeletedOnTheThird) {
    std::string copy = Downloaded("VelmoraSetup.exe");
    HANDLE lock = Lock(copy);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MessageBoxAnswerer boxes({IDOK}, 60000);
    {
        WaitRecorder pauses(WaitRecorder::kNoWait);
        pauses.OnWait([&](size_t wait) {
            if (wait == 2)
                CloseHandle(lock);
        });
        DeleteDownloadedCopy(m_own.c_str(), copy.c_str());
        EXPECT_EQ(pauses.Waits(), (std::vector<DWORD>{250, 250}));
    }
    EXPECT_FALSE(FileExists(copy));
    EXPECT_EQ(LogMessages(m_game.Path()), std::vector<std::string>{"INSTALLE, telecharge supprime : " + copy});
    EXPECT_TRUE(boxes.Answered().empty());
}

TEST_F(DeleteDownloadedCopyTest, ACopyRemovedBySomeoneElseCountsAsDeleted) {
    std::string copy = Downloaded("VelmoraSetup.exe");
    HANDLE lock = Lock(copy);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    {
        WaitRecorder pauses(WaitRecorder::kNoWait);
        pauses.OnWait([&](size_t wait) {
            if (wait == 1) {
                CloseHandle(lock);
                DeleteFileA(copy.c_str());
            }
        });
        DeleteDownloadedCopy(m_own.c_str(), copy.c_str());
        EXPECT_EQ(pauses.Waits().size(), 1u);
    }
    EXPECT_EQ(LogMessages(m_game.Path()), std::vector<std::string>{"INSTALLE, telecharge supprime : " + copy});
}
