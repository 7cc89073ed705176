// The launcher's main window as the player sees it: its size and shape, the controls over the
// picture, the see-through labels, the bars' colours, the news view and the browser-mode value.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <memory>
#include <string>
#include <vector>

#include "BuildSettings.h"

#include "LauncherWindow.h"
#include "tests/support/Input.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pump.h"
#include "tests/support/TestPaths.h"

using namespace testsupport;

namespace {

const char kEmulationKey[] = "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

std::string ExeName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

std::string LocationOf(IWebBrowser2* browser) {
    BSTR url = nullptr;
    std::string text;
    if (SUCCEEDED(browser->get_LocationURL(&url)) && url) {
        char narrow[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, url, -1, narrow, sizeof narrow, nullptr, nullptr);
        text = narrow;
    }
    SysFreeString(url);
    return text;
}

// The icon drawn over black and over white: the pixels that come out the same are the icon's own.
struct IconInk {
    POINT at;
    COLORREF color;
};
std::vector<IconInk> OpaquePixels(HICON icon) {
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    Pixels drawn[2];
    const int grounds[2] = {BLACK_BRUSH, WHITE_BRUSH};
    HDC screen = GetDC(NULL);
    for (int i = 0; i < 2; ++i) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, cx, cy};
        FillRect(dc, &all, (HBRUSH)GetStockObject(grounds[i]));
        DrawIcon(dc, 0, 0, icon);
        SelectObject(dc, old);
        DeleteDC(dc);
        drawn[i] = ReadBitmap(bitmap);
        DeleteObject(bitmap);
    }
    ReleaseDC(NULL, screen);
    std::vector<IconInk> ink;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (drawn[0].At(x, y) == drawn[1].At(x, y))
                ink.push_back(IconInk{POINT{x, y}, drawn[0].At(x, y)});
    return ink;
}

// Every place where the whole icon shows in the picture.
std::vector<POINT> IconPlaces(const Pixels& picture, HICON icon) {
    const std::vector<IconInk> ink = OpaquePixels(icon);
    std::vector<POINT> places;
    if (ink.size() < 16)
        return places;
    for (int y = 0; y + GetSystemMetrics(SM_CYICON) <= picture.height; ++y)
        for (int x = 0; x + GetSystemMetrics(SM_CXICON) <= picture.width; ++x) {
            bool all = true;
            for (size_t i = 0; all && i < ink.size(); ++i)
                all = picture.At(x + ink[i].at.x, y + ink[i].at.y) == ink[i].color;
            if (all)
                places.push_back(POINT{x, y});
        }
    return places;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxEnableControlContainer(); // as the application does before its window opens
        MovePointer(POINT{1200, 1000});
        m_backdrop.reset(new CBackdrop);
        PumpPending();
        m_dlg.reset(new CLauncherLookDlg);
        ASSERT_TRUE(m_dlg->Create(IDD_LAUNCHER, NULL));
        m_dlg->ShowWindow(SW_SHOW);
        m_dlg->UpdateWindow();
        PumpPending(m_dlg->GetSafeHwnd());
        m_picture = ReadBitmap(m_dlg->m_picture.GetBitmap());
        ASSERT_EQ(480, m_picture.width);
    }
    void TearDown() override {
        if (m_dlg && m_dlg->GetSafeHwnd())
            m_dlg->DestroyWindow();
        PumpPending();
        m_dlg.reset();
        m_backdrop.reset();
    }

    HWND Item(int id) const { return ::GetDlgItem(m_dlg->GetSafeHwnd(), id); }
    Pixels Screen() {
        PumpPending(m_dlg->GetSafeHwnd());
        return CaptureWindow(m_dlg->GetSafeHwnd());
    }

    CGameHostElsewhere m_gameHost;
    std::unique_ptr<CBackdrop> m_backdrop;
    std::unique_ptr<CLauncherLookDlg> m_dlg;
    Pixels m_picture;
};

TEST_F(MainWindowTest, IsThePictureSizeWithRoundedCornersAndCentred) {
    CRect window;
    m_dlg->GetWindowRect(&window);
    EXPECT_EQ(480, window.Width());
    EXPECT_EQ(600, window.Height());
    EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - 480) / 2, window.left, 1);

    HRGN hRgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(m_dlg->GetSafeHwnd(), hRgn));
    RECT box;
    GetRgnBox(hRgn, &box);
    // The system's rounded region leaves out the last column and row.
    const RECT rounded = {0, 0, 479, 599};
    EXPECT_TRUE(EqualRect(&rounded, &box));
    for (POINT corner : {POINT{0, 0}, POINT{479, 0}, POINT{0, 599}, POINT{479, 599}, POINT{1, 1}})
        EXPECT_FALSE(PtInRegion(hRgn, corner.x, corner.y)) << corner.x << "," << corner.y;
    for (POINT inside : {POINT{10, 0}, POINT{0, 10}, POINT{240, 300}, POINT{469, 598}, POINT{5, 5}})
        EXPECT_TRUE(PtInRegion(hRgn, inside.x, inside.y)) << inside.x << "," << inside.y;
    DeleteObject(hRgn);

    // On screen: the backdrop at the cut corners, the picture just beside them.
    Pixels screen = Screen();
    WritePng(screen, BuildPath("tests/window/main_window.png"));
    EXPECT_EQ(CBackdrop::kColor, screen.At(0, 0));
    EXPECT_EQ(CBackdrop::kColor, screen.At(479, 599));
    EXPECT_EQ(m_picture.At(12, 1), screen.At(12, 1));
    EXPECT_EQ(m_picture.At(240, 20), screen.At(240, 20));
    EXPECT_EQ(m_picture.At(470, 590), screen.At(470, 590));
}

TEST_F(MainWindowTest, ControlsStandAtTheirPixelRectanglesAndPlayIsHidden) {
    for (const ControlPlace& place : kPlaces) {
        HWND hItem = Item(place.id);
        ASSERT_NE(nullptr, hItem) << place.id;
        const RECT placed = PlaceInParent(hItem);
        EXPECT_TRUE(EqualRect(&place.rect, &placed)) << "control " << place.id;
        EXPECT_EQ(place.id != IDC_PLAY, IsWindowVisible(hItem) != FALSE) << "control " << place.id;
    }
    // Nothing of PLAY shows: the picture is there.
    Pixels screen = Screen();
    const RECT play = kPlaces[0].rect;
    EXPECT_EQ(100 * 26, CountEqual(screen, m_picture, play));

    char text[32] = "";
    ::GetWindowTextA(Item(IDC_QUIT), text, sizeof text);
    EXPECT_TRUE(strcmp(text, "QUIT") == 0 || strcmp(text, "QUITTER") == 0) << text;
}

TEST_F(MainWindowTest, ButtonsWearTheWindowsBoldFont) {
    const HGDIOBJ font = m_dlg->m_font.GetSafeHandle();
    ASSERT_NE(nullptr, font);
    for (int id : {IDC_PLAY, IDC_SIGNUP, IDC_WEBSITE, IDC_QUIT})
        EXPECT_EQ((WPARAM)font, (WPARAM)::SendMessageA(Item(id), WM_GETFONT, 0, 0)) << "button " << id;
    LOGFONTA lf = {};
    ASSERT_EQ((int)sizeof lf, GetObjectA(font, sizeof lf, &lf));
    EXPECT_STREQ("Segoe UI", lf.lfFaceName);
    EXPECT_EQ(-14, lf.lfHeight) << "a character height of 14 pixels";
    EXPECT_EQ(0, lf.lfWidth);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(0, lf.lfItalic);
    EXPECT_EQ(0, lf.lfUnderline);
    EXPECT_EQ(0, lf.lfStrikeOut);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(FF_SWISS | DEFAULT_PITCH, lf.lfPitchAndFamily);
}

TEST_F(MainWindowTest, EmptyLabelsShowExactlyThePictureUnderThem) {
    Pixels screen = Screen();
    for (int id : {IDC_SPEED, IDC_COUNT, IDC_STATUS}) {
        RECT rect = PlaceInParent(Item(id));
        int area = (rect.right - rect.left) * (rect.bottom - rect.top);
        EXPECT_EQ(area, CountEqual(screen, m_picture, rect)) << "label " << id;
    }
}

TEST_F(MainWindowTest, LabelTextIsPrintedOnThePictureWithoutABox) {
    m_dlg->m_lblStatus.SetCaption("Checking for updates...");
    m_dlg->m_lblCount.SetCaption("3 / 12");
    Pixels screen = Screen();
    WritePng(screen, BuildPath("tests/window/main_window_labels.png"));
    for (int id : {IDC_STATUS, IDC_COUNT}) {
        RECT rect = PlaceInParent(Item(id));
        int area = (rect.right - rect.left) * (rect.bottom - rect.top);
        int picture = CountEqual(screen, m_picture, rect);
        int white = CountColor(screen, rect, RGB(255, 255, 255));
        EXPECT_GT(white, 5) << "label " << id << ": no white text";
        EXPECT_GT(picture, area / 2) << "label " << id << ": the picture does not show around the text";
        EXPECT_EQ(0, CountColor(screen, rect, GetSysColor(COLOR_BTNFACE)) -
                         CountColor(m_picture, rect, GetSysColor(COLOR_BTNFACE)))
            << "label " << id << ": its own background shows";
    }
}

TEST_F(MainWindowTest, ButtonsStandOnThePictureWithTheirFaces) {
    Pixels screen = Screen();
    for (int id : {IDC_SIGNUP, IDC_WEBSITE, IDC_QUIT}) {
        RECT rect = PlaceInParent(Item(id));
        // The magenta corners of the face let the picture through.
        EXPECT_EQ(m_picture.At(rect.left, rect.top), screen.At(rect.left, rect.top)) << id;
        EXPECT_EQ(m_picture.At(rect.right - 1, rect.bottom - 1), screen.At(rect.right - 1, rect.bottom - 1)) << id;
        EXPECT_EQ(0, CountColor(screen, rect, RGB(255, 0, 255))) << id;
        // Elsewhere the face covers the picture.
        int area = (rect.right - rect.left) * (rect.bottom - rect.top);
        EXPECT_LT(CountEqual(screen, m_picture, rect), area / 4) << id;
        // The caption in the normal text colour.
        EXPECT_GT(CountColor(screen, rect, RGB(240, 222, 160)), 10) << id;
    }
}

TEST_F(MainWindowTest, BarsTakeTheirColours) {
    // Without the visual-style controls in the manifest the bars are classic on Windows; Wine draws
    // them with its theme whatever the manifest says, which ignores the colours. Look at them classic.
    for (int id : {IDC_PROGRESS_TOTAL, IDC_PROGRESS_FILE})
        if (GetWindowTheme(Item(id)))
            SetWindowTheme(Item(id), L" ", L" ");
    m_dlg->m_progressTotal.SetPos(50);
    m_dlg->m_progressFile.SetPos(0);
    Pixels screen = Screen();
    RECT total = PlaceInParent(Item(IDC_PROGRESS_TOTAL));
    RECT file = PlaceInParent(Item(IDC_PROGRESS_FILE));
    int midTotal = (total.top + total.bottom) / 2;
    EXPECT_EQ(RGB(214, 178, 92), screen.At(total.left + 20, midTotal));
    EXPECT_EQ(RGB(20, 24, 20), screen.At(total.right - 20, midTotal));
    EXPECT_EQ(RGB(20, 24, 20), screen.At((file.left + file.right) / 2, (file.top + file.bottom) / 2));
    m_dlg->m_progressFile.SetPos(100);
    screen = Screen();
    EXPECT_EQ(RGB(120, 170, 80), screen.At(file.right - 20, (file.top + file.bottom) / 2));
    EXPECT_EQ(100, m_dlg->m_progressFile.SendMessage(PBM_GETPOS)) << "range 0 to 100";
}

TEST_F(MainWindowTest, NewsViewFillsThePanelWhenTheBrowserExists) {
    HWND hNews = Item(IDC_NEWS_VIEW);
    if (!hNews)
        GTEST_SKIP() << "no WebBrowser control here: the window goes without news";
    const RECT panel = {26, 238, 454, 446};
    const RECT placed = PlaceInParent(hNews);
    EXPECT_TRUE(EqualRect(&panel, &placed));
    EXPECT_TRUE(IsWindowVisible(hNews));
    EXPECT_EQ(hNews, m_dlg->m_wndBrowser.GetSafeHwnd());
    ASSERT_NE(nullptr, m_dlg->m_wndBrowser.GetControlUnknown());

    // The page stays blank here (no HTML engine), but the view knows where it was sent.
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(S_OK, m_dlg->m_wndBrowser.GetControlUnknown()->QueryInterface(IID_IWebBrowser2, (void**)&browser));
    std::string location;
    PumpUntil([&] { return !(location = LocationOf(browser)).empty(); }, 10000, m_dlg->GetSafeHwnd());
    browser->Release();
    EXPECT_EQ(std::string("https://") + VELMORA_PORTAL_HOST + "/actus/", location);
}

TEST_F(MainWindowTest, BrowserModeValueIsOverwrittenOnEveryOpening) {
    m_dlg->DestroyWindow();
    DWORD stale = 7000;
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueA(HKEY_CURRENT_USER, kEmulationKey, ExeName().c_str(), REG_DWORD, &stale,
                                         sizeof stale));
    m_dlg.reset(new CLauncherLookDlg);
    ASSERT_TRUE(m_dlg->Create(IDD_LAUNCHER, NULL));
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, SHGetValueA(HKEY_CURRENT_USER, kEmulationKey, ExeName().c_str(), &type, &value, &size));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(11001u, value);
    EXPECT_EQ(4u, size);
}

TEST_F(MainWindowTest, MinimisedWindowDrawsItsIconCentredAndDragsIt) {
    ASSERT_NE(nullptr, m_dlg->m_hIcon);
    EXPECT_EQ((LRESULT)m_dlg->m_hIcon, m_dlg->SendMessage(WM_QUERYDRAGICON));

    // A minimised window has no client area to look at. The style alone makes the window iconic
    // while it keeps its client area, here of odd sizes so that the rounding shows.
    const int width = 301, height = 199;
    m_dlg->SetWindowPos(NULL, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_dlg->ModifyStyle(0, WS_MINIMIZE);
    ASSERT_TRUE(m_dlg->IsIconic());
    m_dlg->RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const Pixels screen = Screen();
    m_dlg->ModifyStyle(WS_MINIMIZE, 0);
    WritePng(screen, BuildPath("tests/window/main_window_iconic.png"));

    const POINT centred = {(width - GetSystemMetrics(SM_CXICON) + 1) / 2,
                           (height - GetSystemMetrics(SM_CYICON) + 1) / 2};
    const std::vector<POINT> found = IconPlaces(screen, m_dlg->m_hIcon);
    ASSERT_EQ(1u, found.size()) << "the icon shows " << found.size() << " times";
    EXPECT_EQ(centred.x, found[0].x);
    EXPECT_EQ(centred.y, found[0].y);
}

} // namespace
