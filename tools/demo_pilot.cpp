// Plays the player's part in the headless demo: answers the installer with its proposed folder,
// watches the launcher download, presses PLAY once it shows, and photographs each step.
// Usage: demo_pilot.exe <folder for the PNG files>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/support/Pixels.h"

using testsupport::CaptureWindow;
using testsupport::Pixels;
using testsupport::WritePng;

namespace {

const DWORD kStepTimeoutMs = 180000;
const char kTitle[] = "Velmora World";

std::string g_shots;

struct Search {
    int childId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    char title[64] = "";
    char cls[16] = "";
    GetWindowTextA(hWnd, title, sizeof title);
    GetClassNameA(hWnd, cls, sizeof cls);
    if (IsWindowVisible(hWnd) && strcmp(cls, "#32770") == 0 && strcmp(title, kTitle) == 0 &&
        GetDlgItem(hWnd, search->childId)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// The visible launcher dialog that holds the given control.
HWND DialogWith(int childId) {
    Search search = {childId, NULL};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <class Condition>
bool WaitFor(Condition condition, const char* what) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > kStepTimeoutMs) {
            fprintf(stderr, "demo: gave up waiting for %s\n", what);
            return false;
        }
        Sleep(50);
    }
    return true;
}

// What the screen shows of the window.
void Photograph(HWND hWnd, const char* name) {
    Sleep(400); // let it finish painting
    Pixels shot = CaptureWindow(hWnd);
    std::string path = g_shots + "\\" + name;
    if (WritePng(shot, path))
        printf("demo: %s\n", name);
    else
        fprintf(stderr, "demo: could not write %s\n", path.c_str());
    fflush(stdout);
}

void Click(HWND hDlg, int id) {
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, id));
}

int ProgressOf(HWND hDlg, int id) { return (int)SendMessageA(GetDlgItem(hDlg, id), PBM_GETPOS, 0, 0); }

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: demo_pilot <folder for the screenshots>\n");
        return 2;
    }
    g_shots = argv[1];

    HWND hInstall = NULL;
    if (!WaitFor([&] { return (hInstall = DialogWith(IDC_INSTALL_FOLDER)) != NULL; }, "the installer"))
        return 1;
    Photograph(hInstall, "1-installer.png");
    Click(hInstall, IDOK);

    HWND hMain = NULL;
    if (!WaitFor([&] { return (hMain = DialogWith(IDC_PLAY)) != NULL; }, "the launcher window"))
        return 1;
    // Downloading: the total bar has moved and is not full yet.
    bool sawDownload = WaitFor(
        [&] {
            int total = ProgressOf(hMain, IDC_PROGRESS_TOTAL);
            return (total > 0 && total < 100) || IsWindowVisible(GetDlgItem(hMain, IDC_PLAY));
        },
        "the download");
    if (sawDownload && !IsWindowVisible(GetDlgItem(hMain, IDC_PLAY)))
        Photograph(hMain, "2-downloading.png");

    if (!WaitFor([&] { return IsWindow(hMain) && IsWindowVisible(GetDlgItem(hMain, IDC_PLAY)); }, "PLAY"))
        return 1;
    Photograph(hMain, "3-ready.png");
    Click(hMain, IDC_PLAY);

    HWND hGame = NULL;
    if (!WaitFor([&] { return (hGame = FindWindowA("VornStandIn", NULL)) != NULL && IsWindowVisible(hGame); },
                 "the game"))
        return 1;
    WaitFor([&] { return !IsWindow(hMain); }, "the launcher to close");
    Photograph(hGame, "4-game-started.png");
    return 0;
}
