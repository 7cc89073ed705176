// The main window's update controller: from the list fetch through signature retries, the
// self-update and the game files to PLAY.
#include "launcher/TarnwickDlg.h"
#include <cstdio>
#include <cstring>
#include <ctime>
#include "engine/FileList.h"
#include "engine/Log.h"
#include "engine/PathFit.h"
#include "engine/Pause.h"
#include "engine/Signature.h"
#include "engine/UpdateContext.h"
#include "engine/Updater.h"
#include "launcher/FolderFit.h"
#include "launcher/GameHost.h"
#include "launcher/TarnwickApp.h"
#include "engine/Language.h"

namespace {

const char kProductName[] = "Velmora World";

// The list jobs: local name, path on the server, optional.
struct ListJob {
    const char* name;
    const char* urlPath;
    int bOptional;
};
const ListJob kListJobs[] = {
    {"filelist.new", "files/pc/filelist.txt", 0},
    {"filelist.sig", "files/pc/filelist.txt.sig", 1},
    {"Vers.txt", "files/pc/Vers.txt", 0},
};

// The wait cursor for the time the list is checked on the UI thread.
class WaitCursor {
public:
    WaitCursor() { AfxGetApp()->BeginWaitCursor(); }
    ~WaitCursor() { AfxGetApp()->EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

BOOL CTarnwickDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(kProductName);
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    SetupWindow();
    m_pUpdater->m_strHost = GameHost();
    m_lblStatus.SetCaption(FrEn("Recherche des mises à jour...", "Checking for updates..."));
    ShowVersion();
    StartUpdateCheck();
    return TRUE;
}

void CTarnwickDlg::StartUpdateCheck()
{
    g_update.m_jobs.clear();

    // Start-up refuses a folder this long; the check stays so that no path is ever cut here.
    char sigPath[MAX_PATH];
    if (!JoinFolderPath(sigPath, g_update.m_szDir, "filelist.sig")) {
        ShowError(FolderTooLongText());
        return;
    }
    DeleteFileA(sigPath);

    // Defeats every cache between us and the server: seconds since 1970 (32 bits), then the
    // milliseconds since the system started.
    char query[32];
    snprintf(query, sizeof query, "?t=%u%u", (unsigned)time(NULL), (unsigned)GetTickCount());
    for (const ListJob& job : kListJobs) {
        char url[64];
        snprintf(url, sizeof url, "%s%s", job.urlPath, query);
        if (!g_update.AddJob(job.name, url, job.bOptional)) {
            g_update.m_jobs.clear();
            ShowError(FolderTooLongText());
            return;
        }
    }

    m_nState = STATE_CHECKING;
    m_pUpdater->Start(&g_update);
}

LRESULT CTarnwickDlg::OnUpdateDone(WPARAM, LPARAM)
{
    if (m_pUpdater)
        m_pUpdater->Wait();

    switch (m_nState) {
    case STATE_CHECKING: {
        WaitCursor wait;
        ShowVersion();
        if (VerifyFileListSignature())
            CheckGameFiles();
        else
            RetryUnauthenticatedList();
        break;
    }
    case STATE_SELF_UPDATE:
        RestartAfterSelfUpdate();
        break;
    case STATE_DOWNLOADING:
        if (!PromoteFileList())
            PatchLog("reference non remplacee (%u)", (unsigned)GetLastError());
        SetReady();
        break;
    default:
        break;
    }
    return 0;
}

void CTarnwickDlg::RetryUnauthenticatedList()
{
    ++m_nSigRetries;
    if (m_nSigRetries < MAX_SIGNATURE_CHECKS) {
        PatchLog("SIGNATURE nouvel essai %d/%d dans %d ms", m_nSigRetries + 1, MAX_SIGNATURE_CHECKS,
                 (int)SIGNATURE_RETRY_DELAY_MS);
        m_lblStatus.SetCaption(
            FrEn("Liste en cours de mise à jour, nouvel essai...", "File list being updated, retrying..."));
        SetTimer(IDT_SIGNATURE_RETRY, TimerElapseMs(SIGNATURE_RETRY_DELAY_MS), NULL);
        return;
    }
    m_nSigRetries = 0;
    PatchLog("SIGNATURE abandon apres %d essais", MAX_SIGNATURE_CHECKS);
    CString question;
    question.Format("%s\n%s",
                    FrEn("La liste des fichiers n'a pas pu être authentifiée : rien n'a été installé.",
                         "The file list could not be authenticated: nothing was installed."),
                    FrEn("Réessayer ?", "Retry?"));
    if (AfxMessageBox(question, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY)
        StartUpdateCheck();
    else
        ShowError(FrEn("Liste des fichiers non authentifiée, réessayez plus tard",
                       "File list not authenticated, try again later"));
}

void CTarnwickDlg::CheckGameFiles()
{
    m_nSigRetries = 0;
    m_lblStatus.SetCaption(FrEn("Vérification des fichiers...", "Checking files..."));
    ListCheckResult result = g_update.BuildDownloadList();
    if (m_bQuit)
        return;
    if (result == LIST_MISSING) {
        ShowError(FrEn("Liste des fichiers introuvable", "File list not found"));
    } else if (result == LIST_INVALID) {
        ShowError(FrEn("Liste des fichiers invalide", "Invalid file list"));
    } else if (g_update.m_jobs.empty()) {
        PromoteFileList();
        SetReady();
    } else {
        StartDownloads();
    }
}

void CTarnwickDlg::StartDownloads()
{
    m_progressFile.SetPos(0);
    if (g_update.m_bSelfUpdate) {
        m_nState = STATE_SELF_UPDATE;
        m_lblStatus.SetCaption(FrEn("Mise à jour du lanceur...", "Updating the launcher..."));
    } else {
        m_nState = STATE_DOWNLOADING;
        m_lblStatus.SetCaption(FrEn("Mise à jour en cours...", "Updating..."));
    }
    m_pUpdater->Start(&g_update);
}

void CTarnwickDlg::RestartAfterSelfUpdate()
{
    // The list is not promoted: the restarted launcher fetches and authenticates it again.
    if (GetTarnwickApp()->RelaunchSelf()) {
        m_bQuit = 1;
        EndDialog(IDOK);
    } else {
        ShowError(FrEn("Relance du lanceur impossible", "Cannot restart the launcher"));
    }
}

LRESULT CTarnwickDlg::OnUpdateFailed(WPARAM, LPARAM)
{
    if (m_pUpdater)
        m_pUpdater->Wait();
    ShowError(FrEn("Mise à jour impossible, réessayez plus tard", "Update failed, please try again later"));
    return 0;
}

void CTarnwickDlg::OnTimer(UINT_PTR nIDEvent)
{
    // The signature retry is the window's only timer and fires once.
    KillTimer(nIDEvent);
    if (!m_bQuit && m_nState == STATE_CHECKING)
        StartUpdateCheck();
}

void CTarnwickDlg::ShowError(const char* text)
{
    m_nState = STATE_ERROR;
    m_lblStatus.SetCaption(text);
    PatchLog("ERREUR %s", text);
}

void CTarnwickDlg::SetReady()
{
    m_nState = STATE_READY;
    PatchLog("PRET");
    m_lblStatus.SetCaption(FrEn("Prêt à jouer", "Ready to play"));
    m_lblSpeed.SetCaption("");
    m_btnPlay.ShowWindow(SW_SHOW);
    m_btnPlay.SetFocus();
    m_progressFile.SetPos(100);
    m_progressTotal.SetPos(100);
}

void CTarnwickDlg::ShowVersion()
{
    CString text(kProductName);
    char line[64];
    memset(line, 0, sizeof line);
    if (FILE* file = fopen("Vers.txt", "rt")) {
        if (fgets(line, sizeof line, file) && strncmp(line, "V.", 2) == 0) {
            line[strcspn(line, "\r\n")] = '\0';
            text += "  ";
            text += line;
        }
        fclose(file);
    }
    m_lblVersion.SetCaption(text);
}

void CTarnwickDlg::OnPlay()
{
    if (!m_btnPlay.IsWindowEnabled() || m_nState != STATE_READY)
        return;
    m_btnPlay.EnableWindow(FALSE);
    if (!GetTarnwickApp()->LaunchGame())
        m_btnPlay.EnableWindow(TRUE);
}
