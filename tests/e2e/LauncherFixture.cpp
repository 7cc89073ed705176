#include "tests/e2e/LauncherFixture.h"
#include <commctrl.h>
#include "res/resource.h"
#include "tests/support/PatchLog.h"
#include "tests/support/Pixels.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WindowSearch.h"

using namespace e2e;
using namespace testsupport;

namespace {

const char kThemeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

// Wine themes every progress bar, whatever the manifest says, and a theme ignores the bar colours;
// the launchers the test starts draw classic controls, as Windows does for this program.
std::string SetThemeActive(const std::string& value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return "";
    char old[16] = "";
    DWORD size = sizeof old - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, "ThemeActive", nullptr, &type, (BYTE*)old, &size) != ERROR_SUCCESS || type != REG_SZ)
        old[0] = '\0';
    if (value.empty())
        RegDeleteValueA(key, "ThemeActive");
    else
        RegSetValueExA(key, "ThemeActive", 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
    return old;
}

} // namespace

void LauncherE2e::SetUp()
{
    m_oldThemeActive = SetThemeActive("0");
    m_dir = ScratchDir();
    m_waitLog = m_dir + "\\waits.txt";
    m_waitLogEnv.reset(new testsupport::ScopedEnv("VELMORA_WAIT_LOG", m_waitLog));
    m_divisorEnv.reset(new testsupport::ScopedEnv("VELMORA_WAIT_DIVISOR", "100"));
}

void LauncherE2e::TearDown()
{
    CloseGameClients();
    SetThemeActive(m_oldThemeActive);
    m_divisorEnv.reset();
    m_waitLogEnv.reset();
}

namespace {

Pixels Background()
{
    static Pixels picture = LoadPicture(WindowsPath(VELMORA_SOURCE_DIR) + "\\res\\background.jpg");
    return picture;
}

} // namespace

::testing::AssertionResult LauncherE2e::StartOverV1(Launcher& launcher, const std::string& served,
                                                   const std::string& status, DWORD timeoutMs)
{
    InstallGameFolder("v1", GameFolder());
    if (!served.empty())
        ServeOnNginx(served);
    m_requests = RequestLog::Nginx();
    if (!launcher.Start(GameExe(), "", GameFolder()))
        return ::testing::AssertionFailure() << "the launcher did not start";
    if (!status.empty() && !launcher.WaitForStatus(status, timeoutMs))
        return ::testing::AssertionFailure() << "status \"" << launcher.Text(IDC_STATUS) << "\", not \"" << status
                                             << "\"";
    return ::testing::AssertionSuccess();
}

std::vector<std::string> LauncherE2e::LogEndingWith(const std::string& folder, const std::string& last)
{
    // The window shows some states a moment before the log records them.
    WaitFor([&] {
        std::string text = LogText(folder);
        std::string end = "\t" + last + "\r\n";
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }, 10000);
    return LogMessages(folder);
}

void LauncherE2e::CloseGameClients()
{
    FindTopWindow([](HWND window) {
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (strcmp(cls, "VornStandIn") == 0)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return false;
    });
}

void LauncherE2e::CheckReadyWindow(Launcher& launcher, const std::string& screenshot)
{
    HWND window = launcher.MainWindow(0);
    ASSERT_TRUE(window);
    RECT rc;
    GetWindowRect(window, &rc);
    EXPECT_EQ(rc.right - rc.left, 480);
    EXPECT_EQ(rc.bottom - rc.top, 600);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR) << "the window has no region";
    EXPECT_FALSE(PtInRegion(region, 1, 1)) << "top-left corner not rounded";
    EXPECT_FALSE(PtInRegion(region, 477, 597)) << "bottom-right corner not rounded";
    EXPECT_TRUE(PtInRegion(region, 10, 10));
    EXPECT_TRUE(PtInRegion(region, 0, 300));
    EXPECT_TRUE(PtInRegion(region, 478, 300));
    EXPECT_TRUE(PtInRegion(region, 240, 598));
    DeleteObject(region);

    HWND play = GetDlgItem(window, IDC_PLAY);
    EXPECT_TRUE(IsWindowVisible(play)) << "PLAY hidden when ready";

    Pixels picture = Background();
    ASSERT_EQ(picture.width, 480) << "the test could not decode the background picture";
    RECT status = PlaceInParent(GetDlgItem(window, IDC_STATUS));
    EXPECT_EQ(status.left, 25);
    EXPECT_EQ(status.top, 496);
    RECT file = PlaceInParent(GetDlgItem(window, IDC_PROGRESS_FILE));
    RECT total = PlaceInParent(GetDlgItem(window, IDC_PROGRESS_TOTAL));
    EXPECT_EQ(file.right - file.left, 430);
    EXPECT_EQ(total.top, 536);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_PROGRESS_FILE), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_PROGRESS_TOTAL), PBM_GETPOS, 0, 0), 100);
    RECT playRect = PlaceInParent(play);

    // What the screen shows of the ready window.
    auto onScreen = [&](const Pixels& shot) {
        if (shot.width != 480 || shot.height != 600)
            return ::testing::AssertionFailure() << "the window is not on screen";
        ::testing::AssertionResult result = ::testing::AssertionSuccess();
        auto fail = [&](const char* what) {
            if (result)
                result = ::testing::AssertionFailure();
            result << what << "; ";
        };
        // Away from the corners the window shows its picture.
        RECT emblem = {150, 20, 330, 200};
        if (MatchShare(shot, picture, emblem) <= 0.95)
            fail("the picture is not painted");
        // The status label: its text over the picture, with no box of its own around it.
        double statusShare = MatchShare(shot, picture, status);
        if (statusShare <= 0.6)
            fail("the status label hides the picture");
        if (statusShare >= 0.99)
            fail("no status text on screen");
        // Both bars full: their fill colour reaches their right end.
        int fileY = (file.top + file.bottom) / 2;
        int totalY = (total.top + total.bottom) / 2;
        if (!Near(shot.At(file.right - 4, fileY), RGB(120, 170, 80), 12))
            fail("file bar not full");
        if (!Near(shot.At(file.left + 4, fileY), RGB(120, 170, 80), 12))
            fail("file bar not filled");
        if (!Near(shot.At(total.right - 4, totalY), RGB(214, 178, 92), 12))
            fail("total bar not full");
        // PLAY is drawn: its place no longer shows the bare picture.
        if (MatchShare(shot, picture, playRect) >= 0.5)
            fail("PLAY not drawn");
        return result;
    };
    // The launcher's last paints reach the screen a moment after its state changes.
    Pixels shot;
    WaitFor([&] { return (bool)onScreen(shot = CaptureWindow(window)); }, 10000);
    WritePng(shot, ScreenshotPath(screenshot));
    EXPECT_TRUE(onScreen(shot));
}

void LauncherE2e::CheckPlayHidden(Launcher& launcher, const std::string& screenshot)
{
    HWND window = launcher.MainWindow(0);
    ASSERT_TRUE(window);
    HWND play = GetDlgItem(window, IDC_PLAY);
    ASSERT_TRUE(play);
    EXPECT_FALSE(IsWindowVisible(play)) << "PLAY shown before the game is ready";
    RECT rc = PlaceInParent(play);
    // What the window last painted reaches the screen a moment later.
    Pixels shot;
    WaitFor([&] { return MatchShare(shot = CaptureWindow(window), Background(), rc) > 0.9; }, 10000);
    WritePng(shot, ScreenshotPath(screenshot));
    EXPECT_GT(MatchShare(shot, Background(), rc), 0.9) << "something stands where the hidden PLAY is";
}

std::string DataPath(const std::string& listedName)
{
    std::string path = "/files/pc/data/";
    for (char c : listedName) {
        if (c == ' ')
            path += "%20";
        else
            path += c;
    }
    return path;
}
