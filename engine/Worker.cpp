// The worker thread: connects, runs the queued jobs, verifies them, reports to the main window.
#include "engine/Updater.h"
#include "engine/Language.h"
#include "engine/Log.h"
#include "engine/Pause.h"
#include "launcher/TarnwickDlg.h"
#include <cstdlib>

namespace {

// Closes the message boxes a worker thread shows, so that it can see the stop request.
BOOL CALLBACK CloseThreadBox(HWND hwnd, LPARAM)
{
    char className[16] = "";
    if (GetClassNameA(hwnd, className, sizeof className) && lstrcmpA(className, "#32770") == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Waits for a thread while carrying out the messages that it sends to this thread's windows.
BOOL WaitPumpingSentMessages(CWinThread* pThread, DWORD timeoutMs, BOOL closeBoxes)
{
    HANDLE thread = pThread->m_hThread;
    DWORD start = GetTickCount();
    for (;;) {
        if (closeBoxes)
            EnumThreadWindows(pThread->m_nThreadID, CloseThreadBox, 0);
        DWORD elapsed = GetTickCount() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        DWORD slice = closeBoxes ? 50 : INFINITE;
        if (timeoutMs != INFINITE && timeoutMs - elapsed < slice)
            slice = timeoutMs - elapsed;
        DWORD rc = MsgWaitForMultipleObjects(1, &thread, FALSE, slice, QS_SENDMESSAGE);
        if (rc == WAIT_OBJECT_0)
            return TRUE;
        if (rc == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

} // namespace

UINT UpdaterThreadProc(LPVOID pParam)
{
    static_cast<CUpdater*>(pParam)->Run();
    return 0;
}

CUpdater::CUpdater(CTarnwickDlg* pDlg)
    : m_hSession(NULL), m_hConnect(NULL), m_hRequest(NULL), m_strHost(), m_pThread(NULL),
      m_pDlg(pDlg), m_nDone(0), m_pContext(NULL), m_bStop(0), m_hStopEvent(CreateEventA(NULL, TRUE, FALSE, NULL))
{
}

CUpdater::~CUpdater()
{
    Stop();
    CloseHandles();
    if (m_hStopEvent)
        CloseHandle(m_hStopEvent);
}

void CUpdater::Start(CUpdateContext* pContext)
{
    m_pContext = pContext;
    InterlockedExchange(&m_bStop, 0);
    if (m_hStopEvent)
        ResetEvent(m_hStopEvent);
    m_calls.Reset();
    m_pThread = AfxBeginThread(UpdaterThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pThread) {
        m_pThread->m_bAutoDelete = FALSE;
        ::ResumeThread(m_pThread->m_hThread);
    }
}

void CUpdater::Wait()
{
    if (!m_pThread)
        return;
    // The worker has posted its last message, but pumping costs nothing and rules out a deadlock.
    WaitPumpingSentMessages(m_pThread, INFINITE, FALSE);
    delete m_pThread;
    m_pThread = NULL;
}

// Killing a thread that holds the C runtime's heap or file locks can hang the process at exit, so
// the worker is asked to stop first: the flag makes it unwind without boxes or posts, the event
// ends its pauses and makes it leave a call to the server that does not return, closing the
// request lets such a call end where the platform allows it, its boxes are closed, and its label
// and bar updates are carried out while we wait. Only a worker that is still stuck is terminated.
void CUpdater::Stop()
{
    if (!m_pThread)
        return;
    InterlockedExchange(&m_bStop, 1);
    if (m_hStopEvent)
        SetEvent(m_hStopEvent);
    m_calls.Stop();
    CloseHandleOnce(m_hRequest);
    if (!WaitPumpingSentMessages(m_pThread, WORKER_STOP_TIMEOUT_MS, TRUE)) {
        PatchLog("Worker did not stop, terminated");
        TerminateThread(m_pThread->m_hThread, 0);
        WaitForSingleObject(m_pThread->m_hThread, INFINITE);
        // The killed thread may have held the internet library's locks: closing its handles
        // could hang, and the process is about to end anyway.
        m_hSession = m_hConnect = NULL;
    }
    delete m_pThread;
    m_pThread = NULL;
}

void CUpdater::Run()
{
    m_nDone = 0;
    std::list<DOWNLOAD_JOB>::iterator position = m_pContext->m_jobs.begin();
    SetCounter(1, (int)m_pContext->m_jobs.size());
    HWND window = m_pDlg->GetSafeHwnd();
    for (;;) {
        if (RunJobs(position)) {
            if (!StopRequested())
                PostMessageA(window, WM_UPDATE_DONE, 0, 0);
            return;
        }
        if (StopRequested())
            return;
        int answer = AfxMessageBox(FrEn("Mise à jour interrompue. Réessayer ?", "Update interrupted. Retry?"),
                                   MB_RETRYCANCEL | MB_ICONQUESTION);
        if (StopRequested())
            return;
        if (answer == IDCANCEL) {
            PostMessageA(window, WM_UPDATE_FAILED, 0, 0);
            return;
        }
    }
}

BOOL CUpdater::RunJobs(std::list<DOWNLOAD_JOB>::iterator& position)
{
    PatchLog("Attempt to connect(%s).", (LPCSTR)m_strHost);
    BOOL connected = FALSE;
    for (int attempt = 1; attempt <= MAX_CONNECT_ATTEMPTS && !connected; ++attempt) {
        if (attempt > 1) {
            PatchLog("Connect retry %d/%d", attempt, MAX_CONNECT_ATTEMPTS);
            if (!PauseUnlessStopped(CONNECT_RETRY_DELAY_MS))
                return FALSE;
        }
        connected = Connect();
    }
    if (!connected) {
        ReportError(DL_CONNECT_FAILED);
        return FALSE;
    }
    PatchLog("Connected");
    SetStatus(FrEn("Mise à jour en cours...", "Updating..."));

    std::list<DOWNLOAD_JOB>& jobs = m_pContext->m_jobs;
    const int jobCount = (int)jobs.size();
    while (position != jobs.end()) {
        SetCounter(m_nDone + 1, jobCount);
        DownloadResult result = DownloadWithRetry(&*position);
        if (result != DL_OK) {
            ReportError(result);
            return FALSE;
        }
        PatchLog("%s OK", position->szUrlPath);
        ++m_nDone;
        ++position;
    }

    for (int pass = 0;;) {
        SetStatus(FrEn("Vérification des fichiers...", "Verifying files..."));
        int repaired = 0;
        for (std::list<DOWNLOAD_JOB>::iterator job = jobs.begin(); job != jobs.end(); ++job) {
            WIN32_FILE_ATTRIBUTE_DATA info;
            BOOL found = GetFileAttributesExA(job->szLocalPath, GetFileExInfoStandard, &info);
            DWORD size = found ? info.nFileSizeLow : 0;
            if (found && (job->dwSize == 0 || job->dwSize == size))
                continue;
            PatchLog("VERIFY: %s bad (%u != %u), redownloading", job->szLocalPath, (unsigned)size,
                     (unsigned)job->dwSize);
            ++repaired;
            DownloadResult result = DownloadWithRetry(&*job);
            if (result != DL_OK) {
                ReportError(result);
                return FALSE;
            }
        }
        ++pass;
        PatchLog("VERIFY pass %d: %d file(s) repaired", pass, repaired);
        if (repaired == 0 || pass >= MAX_VERIFY_PASSES)
            break;
    }

    SetStatus(FrEn("Mise à jour terminée", "Update completed"));
    return TRUE;
}

void CUpdater::ReportError(DownloadResult result)
{
    DWORD error = GetLastError();
    // A window that is going away gets no more boxes.
    if (StopRequested())
        return;

    CString text;
    switch (result) {
    case DL_WRITE_FAILED:
        text = FrEn("Disque plein ou fichier verrouillé", "Disk full or file locked");
        break;
    case DL_NOT_ON_SERVER:
        text = FrEn("Fichier introuvable sur le serveur", "File not found on the server");
        break;
    case DL_MKDIR_FAILED:
        text = FrEn("Impossible de créer le dossier", "Cannot create folder");
        break;
    case DL_BAD_MD5:
        text = FrEn("Fichier téléchargé corrompu (md5)", "Downloaded file is corrupted (md5)");
        break;
    default: {
        static const DWORD MAX_DESCRIPTION = 8192;
        char* description = new char[MAX_DESCRIPTION];
        DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS;
        HMODULE source = NULL;
        if (error >= 12000) {
            flags |= FORMAT_MESSAGE_FROM_HMODULE;
            source = GetModuleHandleA("wininet.dll");
        } else {
            flags |= FORMAT_MESSAGE_FROM_SYSTEM;
        }
        if (!FormatMessageA(flags, source, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), description,
                            MAX_DESCRIPTION, NULL))
            description[0] = '\0';
        text = description;
        delete[] description;
        break;
    }
    }

    CString box;
    box.Format("%s\nCODE: %d RESULT: %d", (LPCSTR)text, (int)error, (int)result);
    PatchLog("%s", (LPCSTR)box);
    AfxMessageBox(box, MB_ICONERROR);
    if (result == DL_WRITE_FAILED && !StopRequested())
        exit(1);
}

BOOL CUpdater::PauseUnlessStopped(DWORD ms)
{
    if (!m_hStopEvent) {
        PauseMs(ms);
        return !StopRequested();
    }
    return PauseMsUnless(ms, m_hStopEvent);
}

void CUpdater::SetStatus(const char* text)
{
    ShowInWhite(m_pDlg->m_lblStatus, text);
}

void CUpdater::SetCounter(int current, int total)
{
    char text[32];
    wsprintfA(text, "%d / %d", current, total);
    ShowInWhite(m_pDlg->m_lblCount, text);
}

void CUpdater::ShowInWhite(CLabel& label, const char* text)
{
    label.SetCaption(text);
    label.SetForeColor(RGB(255, 255, 255));
}
