// The main window under real input: dragged from any point of its picture or from a label but not
// from a button, its web-page buttons, and its modal run ended by Escape or by QUIT.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BuildSettings.h"
#include "LauncherWindow.h"
#include "tests/support/Input.h"
#include "tests/support/PatchLog.h"
#include "tests/support/Pump.h"
#include "tests/support/Pixels.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WaitRecorder.h"

using namespace testsupport;

namespace {

// Real input needs a little time to travel through the display server between steps.
void InputStep() { Sleep(30); }

void Drag(POINT from, int dx, int dy) {
    MovePointer(from);
    InputStep();
    PressLeft();
    InputStep();
    for (int i = 1; i <= 4; ++i) {
        MovePointer(POINT{from.x + dx * i / 4, from.y + dy * i / 4});
        InputStep();
    }
    ReleaseLeft();
    InputStep();
}

class DragTest : public ::testing::Test {
protected:
    void SetUp() override {
        MovePointer(POINT{1200, 1000});
        m_dlg.reset(new CLauncherLookDlg);
        ASSERT_TRUE(m_dlg->Create(IDD_LAUNCHER, NULL));
        m_dlg->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_dlg->m_hWnd);
        PumpPending(m_dlg->GetSafeHwnd());
    }
    void TearDown() override {
        if (m_dlg->GetSafeHwnd())
            m_dlg->DestroyWindow();
        PumpPending();
    }

    CRect Place() const {
        CRect rc;
        m_dlg->GetWindowRect(&rc);
        return rc;
    }

    // Drags on another thread while this one runs the window's messages (the system's move loop
    // runs inside them); true when the window ended up moved by (dx, dy).
    bool DragAndSee(POINT clientFrom, int dx, int dy) {
        const CRect before = Place();
        const POINT from = ClientPointOnScreen(m_dlg->GetSafeHwnd(), clientFrom.x, clientFrom.y);
        std::atomic<bool> done(false);
        std::thread input([&] {
            Drag(from, dx, dy);
            done = true;
        });
        PumpUntil([&] { return done.load(); }, 5000, m_dlg->GetSafeHwnd());
        input.join();
        PumpPending(m_dlg->GetSafeHwnd());
        const CRect after = Place();
        return after.left - before.left == dx && after.top - before.top == dy && after.Width() == before.Width();
    }

    std::unique_ptr<CLauncherLookDlg> m_dlg;
};

TEST_F(DragTest, EveryPointOfTheWindowIsItsCaption) {
    for (POINT screenPoint : {POINT{0, 0}, POINT{-5000, 7000}, POINT{640, 512}})
        EXPECT_EQ(HTCAPTION, m_dlg->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screenPoint.x, screenPoint.y)));
}

TEST_F(DragTest, DraggedFromThePictureAndFromALabel) {
    EXPECT_TRUE(DragAndSee(POINT{240, 100}, 40, 30)) << "dragging the picture did not move the window";
    EXPECT_TRUE(DragAndSee(POINT{60, 505}, -30, -20)) << "dragging the status label did not move the window";
}

TEST_F(DragTest, PressingAButtonDoesNotMoveTheWindow) {
    // QUIT is harmless here: the quit message does not end a modeless window.
    EXPECT_FALSE(DragAndSee(POINT{405, 475}, 40, 30));
    EXPECT_FALSE(m_dlg->m_bQuit) << "released outside the button: no click";
}

// While it lives, https addresses open in url_recorder (built beside this program), which writes them
// to a file: nothing real opens on the test machine, and the test sees what the shell was given.
class RecordedBrowser {
public:
    explicit RecordedBrowser(const std::string& file) : m_file(file), m_had(false) {
        char old[1024] = "";
        LONG size = sizeof old;
        m_had = RegQueryValueA(HKEY_CLASSES_ROOT, kCommandKey, old, &size) == ERROR_SUCCESS;
        m_old = old;
        char exe[MAX_PATH] = "";
        GetModuleFileNameA(NULL, exe, MAX_PATH);
        *strrchr(exe, '\\') = '\0';
        // Wine's shell reads at most 255 characters of the command: a copy in the scratch folder keeps
        // it short however deep the build folder is.
        std::string recorder = ScratchDir() + "\\url_recorder.exe";
        EXPECT_TRUE(CopyFileA((std::string(exe) + "\\url_recorder.exe").c_str(), recorder.c_str(), FALSE));
        Set("\"" + recorder + "\" \"" + file + "\" \"%1\"");
    }
    ~RecordedBrowser() {
        if (m_had)
            Set(m_old);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
    }
    RecordedBrowser(const RecordedBrowser&) = delete;
    RecordedBrowser& operator=(const RecordedBrowser&) = delete;

    std::vector<std::string> Opened() const {
        std::vector<std::string> lines;
        std::istringstream text(ReadIfReadable(m_file));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

private:
    static constexpr const char* kCommandKey = "https\\shell\\open\\command";
    static void Set(const std::string& command) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, command.c_str(),
                                              (DWORD)command.size()));
    }
    std::string m_file;
    bool m_had;
    std::string m_old;
};

class WebPageButtonsTest : public DragTest {
protected:
    WebPageButtonsTest() : m_browser(m_folder.Path("opened.txt")) {}

    // Presses the button and waits until the browser got its page.
    void Press(int id, size_t pagesOpened) {
        ASSERT_TRUE(ClickAt(::GetDlgItem(m_dlg->GetSafeHwnd(), id))) << "button " << id;
        EXPECT_TRUE(PumpUntil([&] { return m_browser.Opened().size() >= pagesOpened; }, 30000, m_dlg->GetSafeHwnd()))
            << "button " << id << " opened no page";
    }

    CurrentFolder m_folder; // where the window's log goes
    RecordedBrowser m_browser;
};

TEST_F(WebPageButtonsTest, SignUpAndWebsiteOpenTheirPagesAndLogThem) {
    CGameHostElsewhere gameHost;
    Press(IDC_SIGNUP, 1);
    Press(IDC_WEBSITE, 2);

    const std::string signUp = std::string("https://") + VELMORA_PORTAL_HOST + "/portail/inscription.php";
    const std::string website = std::string("https://") + CGameHostElsewhere::kHost + "/";
    EXPECT_EQ((std::vector<std::string>{signUp, website}), m_browser.Opened());
    EXPECT_EQ((std::vector<std::string>{"OUVRIR " + signUp, "OUVRIR " + website}), LogMessages(m_folder.Path()));
}

bool TakesInput(HWND window, DWORD uiThread) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    return IsWindowVisible(window) && GetForegroundWindow() == window && GetGUIThreadInfo(uiThread, &gui) &&
           gui.hwndActive == window;
}

// Runs the window modally as the application does, with `act` given its handle once it is laid out
// (on another thread). A run that is still going after 10 s is ended by force and reported.
struct ModalOutcome {
    INT_PTR result;
    bool forced;
};
ModalOutcome RunModal(CLauncherLookDlg& dlg, const std::function<void(HWND)>& act) {
    std::atomic<bool> ended(false), forced(false);
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        // Input reaches the window once it is on screen, in front and active.
        if (WaitFor([&] { return dlg.m_hWndReady != NULL && TakesInput(dlg.m_hWndReady, uiThread); }, 5000))
            act(dlg.m_hWndReady);
        if (!WaitFor([&] { return ended.load(); }, 10000)) {
            forced = true;
            PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
        }
    });
    INT_PTR result = dlg.DoModal();
    ended = true;
    driver.join();
    return ModalOutcome{result, forced.load()};
}

TEST(ModalRunTest, EscapeDoesWhatQuitDoes) {
    WaitRecorder waits;
    CLauncherLookDlg dlg;
    ModalOutcome outcome = RunModal(dlg, [](HWND) { TapKey(VK_ESCAPE); });
    EXPECT_FALSE(outcome.forced) << "Escape did not end the run";
    EXPECT_EQ(1, dlg.m_bQuit);
    EXPECT_EQ(1u, waits.CountOf(100)) << "the 100 ms pause before quitting";
    EXPECT_EQ(nullptr, dlg.m_pUpdater) << "the window's destruction deletes the worker object";
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(ModalRunTest, QuitButtonEndsTheRun) {
    WaitRecorder waits;
    CLauncherLookDlg dlg;
    ModalOutcome outcome = RunModal(dlg, [](HWND hWnd) {
        EXPECT_TRUE(ClickAt(GetDlgItem(hWnd, IDC_QUIT)));
    });
    EXPECT_FALSE(outcome.forced) << "QUIT did not end the run";
    EXPECT_EQ(1, dlg.m_bQuit);
    EXPECT_EQ(1u, waits.CountOf(100));
    EXPECT_EQ(nullptr, dlg.m_pUpdater);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

} // namespace
