// One file over HTTPS into "<target>.part", resumed with a Range request when the job carries an
// MD5, checked, then put in place of the target.
#include "engine/Updater.h"
#include "engine/Language.h"
#include "engine/Log.h"
#include "engine/Md5.h"
#include "engine/Pause.h"
#include "engine/Signature.h"
#include "launcher/TarnwickDlg.h"
#include <shlobj.h>
#include <cstring>
#include <vector>

BYTE g_downloadBuffer[DOWNLOAD_CHUNK_SIZE];

namespace {

const DWORD HTTP_RANGE_NOT_SATISFIABLE = 416;

int Clamp100(int value)
{
    return value < 0 ? 0 : (value > 100 ? 100 : value);
}

// Creates the folder that holds `localPath`, with its parents.
BOOL MakeParentFolder(const char* localPath)
{
    char folder[MAX_PATH];
    lstrcpynA(folder, localPath, sizeof folder);
    char* slash = strrchr(folder, '\\');
    if (!slash)
        return TRUE;
    *slash = '\0';
    int rc = SHCreateDirectoryExA(NULL, folder, NULL);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_EXISTS || rc == ERROR_ALREADY_EXISTS;
}

// Size of an existing partial file to resume from; 0 when there is none (or it is a folder).
DWORD PartialSize(const char* partPath)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (GetFileAttributesExA(partPath, GetFileExInfoStandard, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return info.nFileSizeLow;
    return 0;
}

// A file listed with its size and digest is good with exactly that size, whatever a server
// announces. The others (the list, its signature, the version file) are read whole by the
// signature check or the window, and never larger than the largest list it accepts.
BOOL HasListedSize(const DOWNLOAD_JOB* pJob)
{
    return pJob->szMd5[0] && pJob->dwSize;
}

DWORD LargestGoodFile(const DOWNLOAD_JOB* pJob)
{
    return HasListedSize(pJob) ? pJob->dwSize : kMaxSignedListBytes;
}

// What came for a file that cannot be good is deleted. A listed file is bad like one with the
// wrong digest, and fetched again; any other file fails at once as one the server does not have:
// an endless or oversized list would only come again.
DownloadResult DiscardBadFile(const DOWNLOAD_JOB* pJob, const char* partPath)
{
    DeleteFileA(partPath);
    return pJob->szMd5[0] ? DL_BAD_MD5 : DL_NOT_ON_SERVER;
}

// An answer that announces a length no good file can have is refused before its body.
DownloadResult CheckAnnouncedLength(const DOWNLOAD_JOB* pJob, const char* partPath, ULONGLONG whole, DWORD limit)
{
    if (HasListedSize(pJob) ? whole == limit : whole <= limit)
        return DL_OK;
    if (HasListedSize(pJob))
        PatchLog("%s: taille %u au lieu de %u, efface", pJob->szUrlPath,
                 (unsigned)(whole > MAXDWORD ? MAXDWORD : whole), (unsigned)limit);
    else
        PatchLog("%s: plus de %u octets, efface", pJob->szUrlPath, (unsigned)limit);
    return DiscardBadFile(pJob, partPath);
}

// The server has no file for the job: an optional job gets an empty one.
DownloadResult NoFileOnServer(const DOWNLOAD_JOB* pJob, DWORD status)
{
    if (!pJob->bOptional)
        return DL_NOT_ON_SERVER;
    CFile empty;
    if (!empty.Open(pJob->szLocalPath, CFile::modeCreate | CFile::modeWrite))
        return DL_FILE_OPEN_FAILED;
    empty.Close();
    PatchLog("%s : HTTP %u, fichier vide", pJob->szUrlPath, (unsigned)status);
    return DL_OK;
}

// The URL the answer came from, after any redirect the platform followed; "" when unknown.
std::string AnswerUrl(HINTERNET request)
{
    std::vector<char> url(INTERNET_MAX_URL_LENGTH + 1, '\0');
    DWORD size = (DWORD)url.size() - 1;
    if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, &url[0], &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::string();
        url.assign(size + 1, '\0');
        if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, &url[0], &size))
            return std::string();
    }
    return std::string(&url[0]);
}

BOOL IsHttpsUrl(const std::string& url)
{
    return _strnicmp(url.c_str(), "https://", 8) == 0;
}

BOOL IsUrlOnHost(const std::string& url, const char* host)
{
    std::string prefix = std::string("https://") + host + "/";
    return _strnicmp(url.c_str(), prefix.c_str(), prefix.size()) == 0;
}

} // namespace

void ClearReadOnly(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

void CUpdater::CloseHandleOnce(HINTERNET& handle)
{
    HINTERNET h = (HINTERNET)InterlockedExchangePointer((PVOID*)&handle, NULL);
    if (h)
        InternetCloseHandle(h);
}

void CUpdater::CloseHandles()
{
    CloseHandleOnce(m_hRequest);
    CloseHandleOnce(m_hConnect);
    CloseHandleOnce(m_hSession);
}

BOOL CUpdater::Connect()
{
    CloseHandles();
    m_bConnectionMoved = FALSE;
    m_hSession = InternetOpenA(DOWNLOAD_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    if (!m_hSession)
        return FALSE;
    DWORD receive = RECEIVE_TIMEOUT_MS, send = SEND_TIMEOUT_MS, connect = CONNECT_TIMEOUT_MS;
    InternetSetOptionA(m_hSession, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(m_hSession, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionA(m_hSession, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    m_hConnect = InternetConnectA(m_hSession, m_strHost, DOWNLOAD_PORT, NULL, NULL,
                                  INTERNET_SERVICE_HTTP, 0, 0);
    return m_hConnect != NULL;
}

DownloadResult CUpdater::DownloadFile(DOWNLOAD_JOB* pJob)
{
    CloseHandleOnce(m_hRequest);

    if (!MakeParentFolder(pJob->szLocalPath))
        return DL_MKDIR_FAILED;

    char partPath[MAX_PATH + 8];
    wsprintfA(partPath, "%s.part", pJob->szLocalPath);
    // Without a digest nothing could tell a stale partial file from a good one: such a job
    // always starts from zero, even when its old ".part" cannot be deleted (it is truncated).
    if (!pJob->szMd5[0])
        DeleteFileA(partPath);
    DWORD offset = pJob->szMd5[0] ? PartialSize(partPath) : 0;

    PatchLog("%s, %d(th), %dbytes, resume at %u", pJob->szUrlPath, m_nDone, (int)pJob->dwSize,
             (unsigned)offset);
    // Taken before the answer can rewrite the expected size: the server chooses its lengths.
    const DWORD limit = LargestGoodFile(pJob);

    HttpAnswer answer = {NULL, 0, 0, std::string()};
    DownloadResult result = SendRequest(pJob, offset, answer);
    if (result != DL_OK || !AcceptAnswer(pJob, partPath, answer, limit, offset, result))
        return result;
    DWORD received = 0;
    result = ReceiveBody(pJob, partPath, answer.request, offset, limit, received);
    if (result != DL_OK)
        return result;

    if (pJob->dwSize > 1 && received < pJob->dwSize) {
        PatchLog("%s: truncated (%u/%u), will resume", pJob->szUrlPath, (unsigned)received,
                 (unsigned)pJob->dwSize);
        return DL_INCOMPLETE;
    }
    if (pJob->szMd5[0]) {
        char md5[33] = "";
        if (!ComputeFileMd5(partPath, md5) || strcmp(md5, pJob->szMd5) != 0) {
            PatchLog("%s: md5 %s au lieu de %s, efface", pJob->szUrlPath, md5, pJob->szMd5);
            DeleteFileA(partPath);
            return DL_BAD_MD5;
        }
    }
    return ReplaceTarget(pJob, partPath);
}

DownloadResult CUpdater::SendRequest(const DOWNLOAD_JOB* pJob, DWORD offset, HttpAnswer& answer)
{
    if (m_bConnectionMoved && !Connect())
        return DL_CONNECT_FAILED;
    CString object;
    object.Format("/%s", pJob->szUrlPath);
    LPCSTR acceptTypes[] = {"*/*", NULL};
    HINTERNET request = HttpOpenRequestA(m_hConnect, NULL, object, "HTTP/1.1", NULL, acceptTypes,
                                         DOWNLOAD_REQUEST_FLAGS, 0);
    if (!request)
        return DL_OPEN_REQUEST_FAILED;
    InterlockedExchangePointer((PVOID*)&m_hRequest, request);
    answer.request = request;
    // A stop that came before the handle was published could not close it: give up here.
    if (StopRequested())
        return DL_INCOMPLETE;

    char range[64];
    int rangeLength = 0;
    if (offset > 0)
        rangeLength = wsprintfA(range, "Range: bytes=%u-\r\n", (unsigned)offset);
    if (!m_calls.SendRequest(request, rangeLength ? range : NULL, (DWORD)rangeLength))
        return DL_SEND_FAILED;

    DWORD size = sizeof answer.length;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &answer.length, &size, NULL))
        answer.length = 0;
    size = sizeof answer.status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &answer.status, &size, NULL))
        return DL_NO_STATUS;
    answer.url = AnswerUrl(request);
    m_bConnectionMoved = !IsUrlOnHost(answer.url, m_strHost);
    return DL_OK;
}

BOOL CUpdater::AcceptAnswer(DOWNLOAD_JOB* pJob, const char* partPath, const HttpAnswer& answer, DWORD limit,
                            DWORD& offset, DownloadResult& result)
{
    const DWORD status = answer.status;
    // The platform follows redirects by itself, also to plain HTTP: such an answer is not taken.
    if (!IsHttpsUrl(answer.url)) {
        PatchLog("%s: %s hors HTTPS, refuse", pJob->szUrlPath, answer.url.c_str());
        result = NoFileOnServer(pJob, status);
        return FALSE;
    }
    const BOOL resumed = offset > 0 && status == HTTP_STATUS_PARTIAL_CONTENT;
    if (!resumed && status != HTTP_STATUS_OK) {
        if (!pJob->bOptional && offset > 0 && status == HTTP_RANGE_NOT_SATISFIABLE) {
            DeleteFileA(partPath);
            result = DL_INCOMPLETE;
        } else {
            result = NoFileOnServer(pJob, status);
        }
        return FALSE;
    }

    if (!resumed)
        offset = 0;
    if (answer.length > 0) {
        result = CheckAnnouncedLength(pJob, partPath, (ULONGLONG)offset + answer.length, limit);
        if (result != DL_OK)
            return FALSE;
    }
    // A listed size stays: an answer that contradicts it was refused above.
    if (!HasListedSize(pJob) && (resumed || answer.length > 0))
        pJob->dwSize = offset + answer.length;
    return TRUE;
}

DownloadResult CUpdater::ReceiveBody(DOWNLOAD_JOB* pJob, const char* partPath, HINTERNET request, DWORD offset,
                                     DWORD limit, DWORD& position)
{
    ClearReadOnly(partPath);
    CFile part;
    UINT mode = CFile::modeWrite | CFile::shareDenyWrite | (offset == 0 ? CFile::modeCreate : 0);
    if (!part.Open(partPath, mode))
        return DL_FILE_OPEN_FAILED;
    if (offset > 0)
        part.SeekToEnd();

    SetStatus(FrEn("Téléchargement...", "Downloading..."));

    position = offset;
    TransferShown shown = {offset, GetTickCount()};
    for (;;) {
        DWORD read = 0;
        if (StopRequested() || !m_calls.ReadFile(request, g_downloadBuffer, DOWNLOAD_CHUNK_SIZE, &read)) {
            part.Close();
            CloseHandleOnce(m_hRequest);
            return DL_INCOMPLETE;
        }
        if (read == 0)
            break;
        // No byte past the limit can give a good file: the ".part" never holds one.
        if ((ULONGLONG)position + read > limit) {
            part.Close();
            CloseHandleOnce(m_hRequest);
            PatchLog("%s: plus de %u octets, efface", pJob->szUrlPath, (unsigned)limit);
            return DiscardBadFile(pJob, partPath);
        }
        try {
            part.Write(g_downloadBuffer, read);
        } catch (CException* e) {
            e->Delete();
            return DL_WRITE_FAILED;
        }
        position += read;
        if (pJob->dwSize == 0)
            pJob->dwSize = 1;
        ShowTransfer(pJob, position, shown);
    }
    // The bars may not have been sent since the last blocks: they end on the file's true share.
    if (position > offset)
        ShowBars(pJob, position);
    CloseHandleOnce(m_hRequest);
    part.Close();
    return DL_OK;
}

// Each label or bar update waits for the UI thread to repaint: sent for every block, they would
// cost more than the blocks' own reads and writes.
void CUpdater::ShowTransfer(const DOWNLOAD_JOB* pJob, DWORD position, TransferShown& shown)
{
    DWORD now = GetTickCount();
    if (now - shown.time <= SPEED_REFRESH_MS)
        return;
    double speed = (double)(position - shown.position) / (double)(now - shown.time);
    CString text;
    text.Format("%4.1fKb/sec", speed);
    ShowInWhite(m_pDlg->m_lblSpeed, text);
    ShowBars(pJob, position);
    shown.time = now;
    shown.position = position;
}

void CUpdater::ShowBars(const DOWNLOAD_JOB* pJob, DWORD position)
{
    const int jobCount = m_pContext ? (int)m_pContext->m_jobs.size() : 0;
    int fileShare = Clamp100(MulDiv((int)position, 100, (int)pJob->dwSize));
    m_pDlg->m_progressFile.SetPos(fileShare);
    m_pDlg->m_progressTotal.SetPos(Clamp100(MulDiv(m_nDone * 100 + fileShare, 100, jobCount * 100)));
}

DownloadResult CUpdater::ReplaceTarget(const DOWNLOAD_JOB* pJob, const char* partPath)
{
    ClearReadOnly(pJob->szLocalPath);
    if (!DeleteFileA(pJob->szLocalPath) && GetFileAttributesA(pJob->szLocalPath) != INVALID_FILE_ATTRIBUTES) {
        // Still there and not deletable, like the running launcher: move it aside.
        char oldPath[MAX_PATH + 8];
        wsprintfA(oldPath, "%s.old", pJob->szLocalPath);
        ClearReadOnly(oldPath);
        if (!MoveFileExA(pJob->szLocalPath, oldPath, MOVEFILE_REPLACE_EXISTING)) {
            DWORD error = GetLastError();
            PatchLog("%s: ni efface ni renomme (%u)", pJob->szUrlPath, (unsigned)error);
        }
    }
    if (!MoveFileA(partPath, pJob->szLocalPath)) {
        DWORD error = GetLastError();
        PatchLog("%s: MoveFile failed (%u)", pJob->szUrlPath, (unsigned)error);
        return DL_WRITE_FAILED;
    }
    return DL_OK;
}

DownloadResult CUpdater::DownloadWithRetry(DOWNLOAD_JOB* pJob)
{
    DownloadResult result = DL_OK;
    for (int attempt = 1; attempt <= MAX_DOWNLOAD_ATTEMPTS; ++attempt) {
        if (attempt > 1) {
            DWORD error = GetLastError();
            PatchLog("%s: retry %d/%d (last error %u, code %u)", pJob->szUrlPath, attempt,
                     MAX_DOWNLOAD_ATTEMPTS, (unsigned)result, (unsigned)error);
            SetStatus(FrEn("Connexion perdue, reprise...", "Connection lost, resuming..."));
            if (!PauseUnlessStopped(DOWNLOAD_RETRY_DELAY_MS))
                return result;
            if (!Connect()) {
                result = DL_CONNECT_FAILED;
                continue;
            }
        }
        result = DownloadFile(pJob);
        switch (result) {
        case DL_OK:
        case DL_NOT_ON_SERVER:
        case DL_FILE_OPEN_FAILED:
        case DL_WRITE_FAILED:
        case DL_MKDIR_FAILED:
            return result;
        default:
            if (StopRequested())
                return result;
            break;
        }
    }
    return result;
}
