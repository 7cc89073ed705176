// The download worker: fetches the queued jobs of an update context over HTTPS on a thread of its
// own, resuming partial files, and reports to the main window.
#pragma once
#include "framework/framework.h"
#include <wininet.h>
#include <list>
#include <string>
#include "engine/ServerCalls.h"
#include "engine/UpdateContext.h"

class CTarnwickDlg;
class CLabel;

// Posted to the main window (wParam 0, lParam 0) as the worker's last act.
#define WM_UPDATE_DONE (WM_USER + 2003)   // every job downloaded and verified
#define WM_UPDATE_FAILED (WM_USER + 2004) // a job failed and the user declined to retry

#define DOWNLOAD_USER_AGENT "VelmoraWorld"
const INTERNET_PORT DOWNLOAD_PORT = 443;
const DWORD RECEIVE_TIMEOUT_MS = 120000;
const DWORD SEND_TIMEOUT_MS = 120000;
const DWORD CONNECT_TIMEOUT_MS = 30000;
const DWORD DOWNLOAD_REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                     INTERNET_FLAG_SECURE | INTERNET_FLAG_RESYNCHRONIZE |
                                     INTERNET_FLAG_PRAGMA_NOCACHE;
const DWORD DOWNLOAD_CHUNK_SIZE = 65536;
const DWORD SPEED_REFRESH_MS = 100;
const int MAX_DOWNLOAD_ATTEMPTS = 8;
const DWORD DOWNLOAD_RETRY_DELAY_MS = 2000;
const int MAX_CONNECT_ATTEMPTS = 4;
const DWORD CONNECT_RETRY_DELAY_MS = 1500;
const int MAX_VERIFY_PASSES = 3;

// How long the window's destruction waits for a worker it asked to stop before killing it: the
// worker leaves its pauses and its calls to the server at once, so this is a last resort that keeps
// a quit well inside a second launcher's wait for the mutex (20 tries, 250 ms apart).
const DWORD WORKER_STOP_TIMEOUT_MS = 2000;

enum DownloadResult {
    DL_OK = 0,
    DL_OPEN_REQUEST_FAILED = 1,
    DL_SEND_FAILED = 2,
    DL_NO_STATUS = 3,
    DL_NOT_ON_SERVER = 4,
    DL_CONNECT_FAILED = 5,
    DL_FILE_OPEN_FAILED = 6,
    DL_INCOMPLETE = 7,
    DL_WRITE_FAILED = 8,
    DL_MKDIR_FAILED = 9,
    DL_BAD_MD5 = 10
};

// Every read of a response body lands here; one worker runs at a time.
extern BYTE g_downloadBuffer[DOWNLOAD_CHUNK_SIZE];

// Drops the read-only attribute of an existing file; does nothing when there is no such file.
void ClearReadOnly(const char* path);

// Thread entry: runs CUpdater::Run on the CUpdater given as the parameter.
UINT UpdaterThreadProc(LPVOID pParam);

class CUpdater {
public:
    explicit CUpdater(CTarnwickDlg* pDlg);
    // Stops a running worker (cooperatively, see Stop) and closes the internet handles.
    ~CUpdater();

    BOOL Connect();
    void CloseHandles();
    DownloadResult DownloadFile(DOWNLOAD_JOB* pJob);
    DownloadResult DownloadWithRetry(DOWNLOAD_JOB* pJob);

    void Start(CUpdateContext* pContext);
    void Wait();
    void Run();
    BOOL RunJobs(std::list<DOWNLOAD_JOB>::iterator& pos);
    void ReportError(DownloadResult result);
    void SetStatus(const char* text);
    void SetCounter(int current, int total);

    // Asks a running worker to stop and waits for it (UI thread): see Worker.cpp.
    void Stop();
    BOOL StopRequested() const { return m_bStop != 0; }

    HINTERNET m_hSession;
    HINTERNET m_hConnect;
    HINTERNET m_hRequest;
    CString m_strHost;
    CWinThread* m_pThread;
    CTarnwickDlg* m_pDlg;
    int m_nDone;
    CUpdateContext* m_pContext;

private:
    // Closes one handle exactly once, whichever thread gets there first.
    static void CloseHandleOnce(HINTERNET& handle);

    // What the server answered to one download request.
    struct HttpAnswer {
        HINTERNET request;
        DWORD status;
        DWORD length;    // Content-Length; 0 when the answer has none
        std::string url; // where the answer came from, after the redirects the platform followed
    };

    // When the window's speed label and bars were last refreshed, and at which position.
    struct TransferShown {
        DWORD position;
        DWORD time;
    };

    // The steps of DownloadFile. AcceptAnswer: TRUE when a body follows for the ".part" from
    // `offset` (0 when the server sends the whole file); FALSE when the attempt ends with `result`.
    // `limit`: the most bytes a good file of the job can hold (the ".part" never grows past it).
    DownloadResult SendRequest(const DOWNLOAD_JOB* pJob, DWORD offset, HttpAnswer& answer);
    BOOL AcceptAnswer(DOWNLOAD_JOB* pJob, const char* partPath, const HttpAnswer& answer, DWORD limit,
                      DWORD& offset, DownloadResult& result);
    DownloadResult ReceiveBody(DOWNLOAD_JOB* pJob, const char* partPath, HINTERNET request, DWORD offset,
                               DWORD limit, DWORD& position);
    void ShowTransfer(const DOWNLOAD_JOB* pJob, DWORD position, TransferShown& shown);
    void ShowBars(const DOWNLOAD_JOB* pJob, DWORD position);
    DownloadResult ReplaceTarget(const DOWNLOAD_JOB* pJob, const char* partPath);

    // The worker's label texts are white.
    void ShowInWhite(CLabel& label, const char* text);

    // A pause between attempts that the stop ends; FALSE when it did.
    BOOL PauseUnlessStopped(DWORD ms);

    // Set by the UI thread when the window goes away during a run; the worker then unwinds
    // without showing or posting anything. The event, set with it, ends the worker's pauses;
    // the calls to the server are stopped with it too.
    volatile LONG m_bStop;

    // Some WinINet versions move the connection itself to the host a redirect led to: the next
    // request then needs a new one.
    BOOL m_bConnectionMoved = FALSE;

    HANDLE m_hStopEvent;
    CServerCalls m_calls;
};
