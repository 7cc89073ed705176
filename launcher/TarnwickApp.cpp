#include "launcher/TarnwickApp.h"
#include <string>
#include "engine/Pause.h"
#include "engine/PathFit.h"
#include "engine/UpdateContext.h"
#include "installer/Installer.h"
#include "launcher/CommandLine.h"
#include "launcher/FolderFit.h"
#include "launcher/TarnwickDlg.h"
#include "engine/Language.h"

namespace {

const char kMutexName[] = "VelmoraWorldPatcher";
const int kInstanceAttempts = 20;
const DWORD kInstanceRetryMs = 250;

// Shown before anything in the folder is touched.
void ShowFolderTooLong()
{
    AfxMessageBox(FolderTooLongText(), MB_OK | MB_ICONERROR);
}

} // namespace

CTarnwickApp InitTheApp()
{
    return CTarnwickApp();
}

// Constructed first of the program's globals (the update context is 202, the language flag 203).
CTarnwickApp theApp __attribute__((init_priority(201))) = InitTheApp();

BEGIN_MESSAGE_MAP(CTarnwickApp, CWinApp)
END_MESSAGE_MAP()

CTarnwickApp::CTarnwickApp() : CWinApp(NULL), m_hMutex(NULL)
{
}

CTarnwickApp::~CTarnwickApp()
{
}

BOOL CTarnwickApp::InitInstance()
{
    AfxEnableControlContainer();
    if (!CheckSingleInstance())
        return FALSE;

    char exePath[MAX_PATH];
    if (!GetOwnExePath(exePath)) {
        ShowFolderTooLong();
        return FALSE;
    }

    const bool installStage = HasInstallSwitch(m_lpCmdLine);
    const bool restart = !installStage && HasRelaunchSwitch(m_lpCmdLine);
    if (!installStage && !restart && RunInstaller(exePath, &m_hMutex) != INSTALL_CONTINUE)
        return FALSE;

    if (!GameFolderFits(exePath)) {
        ShowFolderTooLong();
        return FALSE;
    }
    if (!PrepareStartup())
        return FALSE;

    if (installStage) {
        std::string firstCopy = DownloadedCopyPath(m_lpCmdLine);
        if (!firstCopy.empty())
            DeleteDownloadedCopy(exePath, firstCopy.c_str());
    }

    {
        CTarnwickDlg dlg;
        m_pMainWnd = &dlg;
        g_pMainDlg = &dlg;
        dlg.DoModal();
        if (m_hMutex) {
            CloseHandle(m_hMutex);
            m_hMutex = NULL;
        }
        // The framework's exit would otherwise reach for the window object that is about to go.
        m_pMainWnd = NULL;
    }
    return FALSE;
}

BOOL CTarnwickApp::CheckSingleInstance()
{
    for (int attempt = 0; attempt < kInstanceAttempts; ++attempt) {
        m_hMutex = CreateMutexA(NULL, FALSE, kMutexName);
        if (m_hMutex && GetLastError() != ERROR_ALREADY_EXISTS)
            return TRUE;
        if (m_hMutex)
            CloseHandle(m_hMutex);
        m_hMutex = NULL;
        // A launcher that is handing over to us ends within a few of these.
        PauseMs(kInstanceRetryMs);
    }
    AfxMessageBox(FrEn("Le lanceur d'Velmora World est déjà ouvert.",
                       "The Velmora World launcher is already running."),
                  MB_OK | MB_ICONINFORMATION);
    return FALSE;
}

BOOL CTarnwickApp::PrepareStartup()
{
    char exePath[MAX_PATH];
    char oldPath[MAX_PATH];
    char folder[MAX_PATH];
    if (!GetOwnExePath(exePath) || !FormatWhole(oldPath, sizeof oldPath, "%s.old", exePath) ||
        !FolderOfPath(exePath, folder) || !SetCurrentDirectoryA(folder))
        return FALSE;

    DeleteFileA(oldPath);
    DeleteFileA("Vorn.exe.old");
    if (!HasRelaunchSwitch(m_lpCmdLine))
        DeleteFileA("PatchLog.txt");

    return g_update.InitPaths();
}
