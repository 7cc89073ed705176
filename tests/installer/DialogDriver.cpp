#include "tests/installer/DialogDriver.h"

#include <gtest/gtest.h>
#include <thread>

#include "res/resource.h"

namespace installtest {

namespace {

const DWORD kPollMs = 20;
const int kMessageBoxTextId = 0xFFFF;

struct Search {
    DWORD pid;
    std::function<bool(HWND)> accept;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window))
        return TRUE;
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !search->accept(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitFor(DWORD pid, DWORD timeoutMs, const std::function<bool(HWND)>& accept,
             const std::atomic<bool>* stop = nullptr) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {pid, accept, NULL};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if ((stop && *stop) || GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(kPollMs);
    }
}

bool IsMessageBox(HWND window) { return GetDlgItem(window, kMessageBoxTextId) != NULL; }
bool IsInstallDialog(HWND window) {
    return GetDlgItem(window, IDC_INSTALL_FOLDER) != NULL && TextOf(window) == "Velmora World";
}

} // namespace

HWND WaitForInstallDialog(DWORD pid, DWORD timeoutMs, const std::atomic<bool>* stop) {
    return WaitFor(pid, timeoutMs, IsInstallDialog, stop);
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) { return WaitFor(pid, timeoutMs, IsMessageBox); }

HWND WaitForOtherDialog(DWORD pid, HWND notThis, DWORD timeoutMs) {
    return WaitFor(pid, timeoutMs, [notThis](HWND w) { return w != notThis && !IsMessageBox(w); });
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT is marshalled across threads and processes.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str());
}

void TypeInto(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 1);
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

BoxSeen CloseNextMessageBox(DWORD pid, DWORD timeoutMs) {
    BoxSeen seen;
    HWND box = WaitForMessageBox(pid, timeoutMs);
    if (!box)
        return seen;
    seen.title = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, kMessageBoxTextId));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntilGone(box);
    return seen;
}

std::string PressOkAndReadWarning(HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    Press(dialog, IDOK);
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = WaitForMessageBox(pid, kPollMs)) {
            (void)box;
            return CloseNextMessageBox(pid).text;
        }
        if (!IsWindow(dialog) || !IsWindowVisible(dialog))
            return std::string();
        if (GetTickCount() - start > kWindowWaitMs) {
            ADD_FAILURE() << "OK gave neither a warning nor the end of the dialog";
            return std::string();
        }
    }
}

bool DriveInstallDialog(const std::function<void()>& body, const std::function<void(HWND)>& drive) {
    std::atomic<bool> bodyDone(false);
    std::atomic<bool> appeared(false);
    std::thread driver([&] {
        HWND dialog = WaitForInstallDialog(GetCurrentProcessId(), kWindowWaitMs, &bodyDone);
        if (!dialog)
            return;
        appeared = true;
        drive(dialog);
        // Whatever is still open now would block the body for ever.
        while (!bodyDone) {
            if (HWND box = WaitForMessageBox(GetCurrentProcessId(), 0))
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            Sleep(100);
        }
    });
    body();
    bodyDone = true;
    driver.join();
    return appeared;
}

} // namespace installtest
