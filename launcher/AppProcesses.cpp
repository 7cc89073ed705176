// The application's process operations: opening a web page, restarting the launcher and
// starting the game client.
#include "launcher/TarnwickApp.h"
#include <shellapi.h>
#include "engine/Log.h"
#include "engine/PathFit.h"
#include "engine/UpdateContext.h"
#include "engine/Language.h"

namespace {

const char kGameClient[] = "Vorn.exe";
const char kLaunchToken[] = "pelquin";
const size_t kMaxGameCommandLine = 2047;

// Starts a process in the game folder without waiting for it; FALSE with GetLastError on failure.
BOOL StartInGameFolder(char* commandLine)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, g_update.m_szDir, &startup, &process))
        return FALSE;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return TRUE;
}

} // namespace

HINSTANCE CTarnwickApp::OpenUrl(const char* url)
{
    PatchLog("OUVRIR %s", url);
    return ShellExecuteA(NULL, "open", url, NULL, NULL, SW_SHOWNORMAL);
}

BOOL CTarnwickApp::RelaunchSelf()
{
    char exePath[MAX_PATH];
    char commandLine[MAX_PATH + 16];
    if (!GetOwnExePath(exePath) || !FormatWhole(commandLine, sizeof commandLine, "\"%s\" /relance", exePath))
        return FALSE;

    // The new launcher's single-instance check must find the name free.
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = NULL;
    }
    PatchLog("RELANCE %s", commandLine);
    return StartInGameFolder(commandLine);
}

BOOL CTarnwickApp::LaunchGame()
{
    char clientPath[MAX_PATH];
    char commandLine[kMaxGameCommandLine + 1];
    if (!JoinFolderPath(clientPath, g_update.m_szDir, kGameClient) ||
        !FormatWhole(commandLine, sizeof commandLine, "\"%s\" %s", clientPath, kLaunchToken))
        return FALSE;

    PatchLog("LANCE %s", commandLine);
    if (StartInGameFolder(commandLine)) {
        if (CWnd* pMainWnd = AfxGetMainWnd())
            PostMessageA(pMainWnd->GetSafeHwnd(), WM_CLOSE, 0, 0);
        return TRUE;
    }

    DWORD error = GetLastError();
    char message[256];
    wsprintfA(message, "%s (%d)", FrEn("Impossible de lancer Vorn.exe", "Cannot start Vorn.exe"), (int)error);
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
    return FALSE;
}
