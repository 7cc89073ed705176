#include "tests/installer/DialogDriver.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <thread>

#include "res/resource.h"

using namespace testsupport;

namespace installtest {

namespace {

bool IsInstallDialog(HWND window) {
    return IsDialogWith(window, IDC_INSTALL_FOLDER) && TextOf(window) == "Velmora World";
}

bool IsActive(HWND dialog) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &gui) && gui.hwndActive == dialog;
}

// The message boxes of the process and their owners, for a failure's message.
std::string BoxesOf(DWORD pid, HWND dialog) {
    std::string list;
    FindTopWindow([&](HWND w) {
        if (ProcessOf(w) == pid && IsMessageBox(w)) {
            char owner[32];
            snprintf(owner, sizeof owner, "%p", (void*)GetWindow(w, GW_OWNER));
            list += std::string("; box \"") + BoxText(w) + "\" owned by " + owner;
        }
        return false;
    });
    char self[32];
    snprintf(self, sizeof self, "%p", (void*)dialog);
    return list.empty() ? std::string("; no box") : list + " (dialog " + self + ")";
}

} // namespace

HWND WaitForInstallDialog(DWORD pid, DWORD timeoutMs, const std::atomic<bool>* stop) {
    return WaitForTopWindow([pid](HWND w) { return ProcessOf(w) == pid && IsInstallDialog(w); }, timeoutMs, stop);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
    return WaitForTopWindow([owner](HWND w) { return IsOwnedBy(w, owner) && IsDialogWith(w) && !IsMessageBox(w); },
                            timeoutMs);
}

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

std::string PressOkAndReadWarning(HWND dialog) {
    // A click activates the dialog, and its warning's owner is the active window: under Wine the
    // activation comes a moment after the request.
    SetForegroundWindow(dialog);
    EXPECT_TRUE(WaitFor([&] { return IsActive(dialog); }, kWindowWaitMs)) << "the dialog never became active";
    Press(dialog, IDOK);
    HWND warning = NULL;
    bool answered = WaitFor(
        [&] {
            warning = FindTopWindow([dialog](HWND w) { return IsOwnedBy(w, dialog) && IsMessageBox(w); });
            return warning || !IsWindow(dialog) || !IsWindowVisible(dialog);
        },
        kWindowWaitMs);
    if (!answered) {
        ADD_FAILURE() << "OK gave neither a warning nor the end of the dialog" << BoxesOf(ProcessOf(dialog), dialog);
        return std::string();
    }
    if (!warning)
        return std::string();
    std::string text = BoxText(warning);
    PostMessageA(warning, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(warning, IDOK));
    EXPECT_TRUE(WaitUntilGone(warning, kWindowWaitMs)) << "the warning stayed open";
    return text;
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
        const DWORD self = GetCurrentProcessId();
        while (!bodyDone) {
            if (HWND box = FindTopWindow([self](HWND w) { return ProcessOf(w) == self && IsMessageBox(w); }))
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            WaitFor([&] { return bodyDone.load(); }, 100);
        }
    });
    body();
    bodyDone = true;
    driver.join();
    return appeared;
}

} // namespace installtest
