// The test support library, against the real Win32 calls under Wine.
#include "tests/support/ChildProcess.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PatchLog.h"
#include "tests/support/Pump.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"
#include "tests/support/WindowSearch.h"
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

// A visible dialog of this thread made from an empty template.
HWND CreatePlainDialog(DLGPROC proc = PlainDialogProc, LPARAM param = 0)
{
    struct alignas(4) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } tpl = {};
    tpl.dialog.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    tpl.dialog.cx = 160;
    tpl.dialog.cy = 60;
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tpl.dialog, nullptr, proc, param);
}

// A dialog made like a message box whose text control 0xFFFF is still empty, as a box is for a moment
// while it is being made. It counts the reads of that control and records the button pressed.
class UnfilledBox {
public:
    UnfilledBox()
    {
        m_box = CreatePlainDialog(Proc, (LPARAM)this);
        m_text = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, m_box, (HMENU)0xFFFF,
                                 nullptr, nullptr);
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 10, 40, 60, 20, m_box, (HMENU)IDOK, nullptr,
                        nullptr);
        SetWindowLongPtrA(m_text, GWLP_USERDATA, (LONG_PTR)this);
        m_staticProc = (WNDPROC)SetWindowLongPtrA(m_text, GWLP_WNDPROC, (LONG_PTR)CountReads);
    }
    ~UnfilledBox() { DestroyWindow(m_box); }

    HWND m_box = nullptr;
    HWND m_text = nullptr;
    int m_reads = 0;
    int m_pressed = 0;

private:
    static INT_PTR CALLBACK Proc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG)
            SetWindowLongPtrA(box, DWLP_USER, lParam);
        else if (message == WM_COMMAND)
            reinterpret_cast<UnfilledBox*>(GetWindowLongPtrA(box, DWLP_USER))->m_pressed = LOWORD(wParam);
        return message == WM_INITDIALOG;
    }
    static LRESULT CALLBACK CountReads(HWND text, UINT message, WPARAM wParam, LPARAM lParam)
    {
        UnfilledBox* self = reinterpret_cast<UnfilledBox*>(GetWindowLongPtrA(text, GWLP_USERDATA));
        if (message == WM_GETTEXT)
            ++self->m_reads;
        return CallWindowProcA(self->m_staticProc, text, message, wParam, lParam);
    }
    WNDPROC m_staticProc = nullptr;
};

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
    EXPECT_EQ(dir.find("C:\\tests\\" + ProgramName() + "\\"), 0u);
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

TEST(TestPaths, CurrentFolderIsAFreshCurrentDirectoryWhileItLives)
{
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    std::string path;
    {
        CurrentFolder folder(ScratchDir(), "below\\deeper");
        path = folder.Path();
        char inside[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, inside);
        EXPECT_EQ(std::string(inside), path);
        EXPECT_EQ(path.find(ScratchDir() + "\\"), 0u);
        EXPECT_EQ(path.substr(path.size() - 13), "\\below\\deeper");
        ASSERT_TRUE(WriteWholeFile("made here.txt", "x"));
        EXPECT_TRUE(FileExists(folder.Path("made here.txt")));
    }
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    EXPECT_FALSE(FileExists(path));
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

TEST(MessageBoxAnswerer, ClosesTheBoxesBeyondItsButtonsWithCancelOrOk)
{
    MessageBoxAnswerer answerer({IDRETRY});
    EXPECT_EQ(MessageBoxA(nullptr, "Given", "Title", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(MessageBoxA(nullptr, "Beyond, with Cancel", "Title", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Beyond, OK only", "Title", MB_OK), IDOK);
    EXPECT_EQ(answerer.Texts(), (std::vector<std::string>{"Given", "Beyond, with Cancel", "Beyond, OK only"}));
}

TEST(MessageBoxAnswerer, ReadsAndAnswersABoxOnlyOnceItsTextIsThere)
{
    UnfilledBox box;
    ASSERT_NE(box.m_box, nullptr);
    MessageBoxAnswerer answerer({IDOK}, 20000);
    // The answerer looks at the box again and again while its text is empty...
    ASSERT_TRUE(PumpUntil([&] { return box.m_reads >= 3 || box.m_pressed != 0; }, 20000));
    EXPECT_EQ(box.m_pressed, 0) << "answered before its text was there";
    // ...and answers it once the text has come.
    SetWindowTextA(box.m_text, "Filled in");
    ASSERT_TRUE(PumpUntil([&] { return box.m_pressed != 0; }, 20000));
    EXPECT_EQ(box.m_pressed, IDOK);
    EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Filled in"});
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
    HWND dialog = CreatePlainDialog();
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

TEST(ChildProcess, KnowsWhichProcessStartedIt)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(ChildCommand("hang")));
    EXPECT_EQ(ParentOf(child.Id()), GetCurrentProcessId());
    EXPECT_EQ(ProcessTree(GetCurrentProcessId()).count(child.Id()), 1u);
    EXPECT_EQ(ProcessTree(child.Id()).count(GetCurrentProcessId()), 0u);

    ChildProcess adopted;
    ASSERT_TRUE(adopted.Adopt(child.Id()));
    EXPECT_TRUE(adopted.Running());
    adopted.Terminate();
    DWORD exitCode = 0;
    EXPECT_TRUE(child.Wait(20000, exitCode));
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

TEST(WaitRecorder, RunsTheTestsActionAtEveryWait)
{
    WaitRecorder recorder(WaitRecorder::kNoWait);
    std::vector<size_t> seen;
    recorder.OnWait([&](size_t count) { seen.push_back(count); });
    ULONGLONG start = GetTickCount64();
    PauseMs(5000);
    PauseMs(5000);
    EXPECT_LT(GetTickCount64() - start, 4000u) << "kNoWait still waited";
    EXPECT_EQ(seen, (std::vector<size_t>{1, 2}));
    EXPECT_EQ(recorder.Waits(), (std::vector<DWORD>{5000, 5000}));
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

TEST(PatchLog, MessagesWithoutStampsLineBreaksKeptAndTheFormChecked)
{
    std::string folder = ScratchDir();
    EXPECT_TRUE(LogMessages(folder).empty()) << "no log, no message";
    ASSERT_TRUE(WriteWholeFile(folder + "\\PatchLog.txt",
                               "01/02-03:04:05\tPRET\r\n12/31-23:59:59\tFile not found\r\nCODE: 2\r\n"));
    EXPECT_EQ(LogMessages(folder), (std::vector<std::string>{"PRET", "File not found\r\nCODE: 2"}));

    ASSERT_TRUE(WriteWholeFile(folder + "\\PatchLog.txt", "01/02-03:04:05\tno line end"));
    EXPECT_NONFATAL_FAILURE(LogMessages(folder), "CR LF");
    ASSERT_TRUE(WriteWholeFile(folder + "\\PatchLog.txt", "no stamp\r\n"));
    EXPECT_NONFATAL_FAILURE(LogMessages(folder), "time stamp");
}

TEST(WindowSearch, FindsAWindowByOwnerAndTellsAMessageBoxOnlyWhenFilled)
{
    UnfilledBox box;
    ASSERT_NE(box.m_box, nullptr);
    HWND owned = CreateWindowExA(0, "STATIC", "owned", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, box.m_box, nullptr,
                                 nullptr, nullptr);
    EXPECT_TRUE(IsOwnedBy(owned, box.m_box));
    EXPECT_FALSE(IsOwnedBy(box.m_box, owned));
    EXPECT_EQ(FindTopWindow([&](HWND w) { return IsOwnedBy(w, box.m_box); }), owned);
    EXPECT_TRUE(IsDialogWith(box.m_box, IDOK));
    EXPECT_FALSE(IsMessageBox(box.m_box)) << "its text is not there yet";
    SetWindowTextA(box.m_text, "there");
    EXPECT_TRUE(IsMessageBox(box.m_box));
    EXPECT_EQ(BoxText(box.m_box), "there");
    DestroyWindow(owned);
}
