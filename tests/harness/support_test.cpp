// The test support library, against the real Win32 calls under Wine.
#include "tests/support/ChildProcess.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"
#include "engine/Pause.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>
#include <thread>
#include <vector>

using namespace testsupport;

namespace {

std::string ChildCommand(const std::string& args)
{
    return "\"" + WindowsPath(HARNESS_CHILD) + "\" " + args;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

} // namespace

TEST(TestPaths, WindowsPathMapsTheLinuxRootToDriveZ)
{
    EXPECT_EQ(WindowsPath("/work/a b/c.txt"), "Z:\\work\\a b\\c.txt");
    EXPECT_EQ(WindowsPath("C:\\games\\Vorn.exe"), "C:\\games\\Vorn.exe");
    EXPECT_TRUE(FileExists(BuildDir() + "\\CMakeCache.txt"));
}

TEST(TestPaths, FreshFolderEmptiesNestedAndReadOnlyContent)
{
    std::string root = ScratchDir() + "\\fresh";
    ASSERT_TRUE(WriteWholeFile(root + "\\sub\\deeper\\a.txt", "a"));
    ASSERT_TRUE(WriteWholeFile(root + "\\locked.txt", "b"));
    ASSERT_TRUE(SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(FreshFolder(root), root);
    EXPECT_FALSE(FileExists(root + "\\sub"));
    EXPECT_FALSE(FileExists(root + "\\locked.txt"));
    DWORD attributes = GetFileAttributesA(root.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    std::string created = FreshFolder(ScratchDir() + "\\new\\nested");
    EXPECT_TRUE(GetFileAttributesA(created.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(TestPaths, ScratchDirIsEmptyPerTestAndStableWithinIt)
{
    std::string dir = ScratchDir();
    EXPECT_EQ(dir.find(BuildDir() + "\\scratch\\"), 0u);
    EXPECT_NE(dir.find("TestPaths.ScratchDirIsEmptyPerTestAndStableWithinIt"), std::string::npos);
    // A marker left by an earlier run must be gone.
    EXPECT_FALSE(FileExists(dir + "\\marker"));
    ASSERT_TRUE(WriteWholeFile(dir + "\\marker", "x"));
    EXPECT_EQ(ScratchDir(), dir);
    EXPECT_TRUE(FileExists(dir + "\\marker"));
}

TEST(TestPaths, WholeFilesRoundTripBinaryDataAndReadDespiteAWriter)
{
    std::string data("\0\r\n\x1a\xff", 5);
    for (int i = 0; i < 3 * 1024 * 1024; ++i)
        data += (char)(i * 7 + (i >> 11));
    std::string path = ScratchDir() + "\\missing\\folders\\data.bin";
    ASSERT_TRUE(WriteWholeFile(path, data));
    EXPECT_TRUE(ReadWholeFile(path) == data);

    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(path).size(), data.size());
    CloseHandle(writer);

    ASSERT_TRUE(WriteWholeFile(path, "short"));
    EXPECT_EQ(ReadWholeFile(path), "short");
}

TEST(TestPaths, ReadingAMissingFileFailsTheTest)
{
    std::string missing = ScratchDir() + "\\nothing.txt";
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(ReadWholeFile(missing), ""), "cannot open");
    EXPECT_FALSE(WriteWholeFile(ScratchDir() + "\\bad<name>.txt", "x"));
}

TEST(MessageBoxAnswerer, PressesTheGivenButtonsInOrderAndRecordsTheTexts)
{
    MessageBoxAnswerer answerer({IDRETRY, IDCANCEL});
    EXPECT_EQ(MessageBoxA(nullptr, "Le téléchargement a échoué.\nRéessayer ?", "Velmora World",
                          MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
    EXPECT_EQ(MessageBoxA(nullptr, "Second", "Deux", MB_RETRYCANCEL), IDCANCEL);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "Velmora World");
    EXPECT_EQ(boxes[0].text, "Le téléchargement a échoué.\nRéessayer ?");
    EXPECT_EQ(boxes[0].button, IDRETRY);
    EXPECT_TRUE(boxes[0].buttonFound);
    EXPECT_EQ(boxes[1].text, "Second");
    EXPECT_EQ(boxes[1].button, IDCANCEL);
}

TEST(MessageBoxAnswerer, ReportsAButtonTheBoxLacksAndStillClosesIt)
{
    MessageBoxAnswerer answerer({IDRETRY});
    MessageBoxA(nullptr, "Only OK here", "Title", MB_OK);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].buttonFound);
}

TEST(MessageBoxAnswerer, LeavesOtherDialogsAloneAndGivesUpAfterItsTimeout)
{
    struct alignas(4) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } tpl = {};
    tpl.dialog.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    tpl.dialog.cx = 120;
    tpl.dialog.cy = 60;
    HWND dialog = CreateDialogIndirectA(GetModuleHandleA(nullptr), &tpl.dialog, nullptr, PlainDialogProc);
    ASSERT_NE(dialog, nullptr);

    ULONGLONG start = GetTickCount64();
    MessageBoxAnswerer answerer({IDOK}, 300);
    EXPECT_TRUE(answerer.Wait().empty());
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
}

TEST(MessageBoxAnswerer, AnswersTheBoxOfAnotherProcess)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(ChildCommand("box \"Velmora World\" \"Fichier verrouillé\"")));
    MessageBoxAnswerer answerer({IDCANCEL}, 20000, child.Id());
    DWORD exitCode = 0;
    ASSERT_TRUE(child.Wait(30000, exitCode));
    EXPECT_EQ(exitCode, (DWORD)IDCANCEL);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Velmora World");
    EXPECT_EQ(boxes[0].text, "Fichier verrouillé");
}

TEST(MessageBoxAnswerer, AnswersTheBoxesOfTheWholeProcessTree)
{
    MessageBoxAnswerer answerer({IDRETRY, IDCANCEL}, 20000, MessageBoxAnswerer::kProcessTree);
    DWORD exitCode = 0;
    ChildProcess child;
    ASSERT_TRUE(child.Start(ChildCommand("box Child Enfant")));
    ASSERT_TRUE(child.Wait(30000, exitCode));
    EXPECT_EQ(exitCode, (DWORD)IDRETRY);
    EXPECT_EQ(MessageBoxA(nullptr, "Parent", "Parent", MB_RETRYCANCEL), IDCANCEL);
    std::vector<AnsweredBox> boxes = answerer.Wait();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Enfant");
    EXPECT_EQ(boxes[1].text, "Parent");
}

TEST(ChildProcess, ReturnsTheExitCodeAndKillsWhatOutlivesTheTimeout)
{
    ChildResult done = RunChild(ChildCommand("exit 7"), 20000);
    EXPECT_TRUE(done.started);
    EXPECT_FALSE(done.timedOut);
    EXPECT_EQ(done.exitCode, 7u);

    ChildResult missing = RunChild("\"" + ScratchDir() + "\\no-such-program.exe\"", 20000);
    EXPECT_FALSE(missing.started);

    ChildProcess hanging;
    ASSERT_TRUE(hanging.Start(ChildCommand("hang")));
    HANDLE watcher = OpenProcess(SYNCHRONIZE, FALSE, hanging.Id());
    ASSERT_NE(watcher, nullptr);
    DWORD exitCode = 0;
    EXPECT_FALSE(hanging.Wait(200, exitCode));
    hanging.Terminate();
    EXPECT_EQ(WaitForSingleObject(watcher, 0), WAIT_OBJECT_0);
    CloseHandle(watcher);

    ChildResult timedOut = RunChild(ChildCommand("hang"), 200);
    EXPECT_TRUE(timedOut.started);
    EXPECT_TRUE(timedOut.timedOut);
}

TEST(WaitRecorder, RecordsAndShortensTheProgramsWaits)
{
    {
        WaitRecorder recorder(1000);
        ULONGLONG start = GetTickCount64();
        PauseMs(3000);
        EXPECT_LT(GetTickCount64() - start, 2000u);
        EXPECT_EQ(TimerElapseMs(15000), 15u);
        EXPECT_EQ(TimerElapseMs(100), 1u);  // a timer never gets 0
        EXPECT_EQ(recorder.Waits(), (std::vector<DWORD>{3000, 15000, 100}));
        EXPECT_EQ(recorder.CountOf(15000), 1u);
        recorder.Clear();
        EXPECT_TRUE(recorder.Waits().empty());
    }
    EXPECT_EQ(TimerElapseMs(250), 250u);
}

TEST(WaitRecorder, LosesNoWaitFromConcurrentThreads)
{
    WaitRecorder recorder(100);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 500; ++i)
                PauseMs(2);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(recorder.CountOf(2), 2000u);
    EXPECT_EQ(recorder.Waits().size(), 2000u);
}
