#include "engine/FileList.h"

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

#include "engine/Log.h"
#include "engine/Md5.h"
#include "engine/UpdateContext.h"
#include "launcher/TarnwickDlg.h"

namespace {

const char kNewList[] = "filelist.new";
const char kInstalledList[] = "filelist.txt";
const char kGameClient[] = "Vorn.exe";
const char kDataUrl[] = "files/pc/data/";

#ifndef VELMORA_RELEASE_BUILD
// Test builds only: tests count or observe the hashing through SetListDigestHook.
ListDigestFn g_digest = ComputeFileMd5;
#else
const ListDigestFn g_digest = ComputeFileMd5;
#endif

// Name -> MD5 of every ordinary entry of the last completed update's list.
typedef std::map<std::string, std::string> KnownDigests;

KnownDigests ReadKnownDigests() {
    KnownDigests known;
    FILE* f = fopen(kInstalledList, "rb");
    if (!f)
        return known;
    char line[LIST_LINE_BUFFER];
    while (fgets(line, sizeof line, f)) {
        const char* name = nullptr;
        const char* md5 = nullptr;
        uint32_t size = 0;
        if (ParseListLine(line, &name, &size, &md5) == LINE_FILE)
            known[name] = md5;
    }
    fclose(f);
    return known;
}

// Game folder, a backslash, the name with its "/" turned into "\". FALSE when it does not
// fit in 259 characters.
BOOL BuildLocalPath(const char* dir, const char* name, char (&path)[MAX_PATH]) {
    // A drive root already ends with its backslash; doubling it would hide the launcher's
    // own path from the comparison with m_szExePath.
    const size_t dirLen = strlen(dir);
    const char* sep = (dirLen > 0 && dir[dirLen - 1] == '\\') ? "" : "\\";
    const int n = snprintf(path, sizeof path, "%s%s%s", dir, sep, name);
    if (n < 0 || n >= static_cast<int>(sizeof path))
        return FALSE;
    for (char* p = path + dirLen; *p; ++p) {
        if (*p == '/')
            *p = '\\';
    }
    return TRUE;
}

BOOL NeedsDownload(const FILELIST_ENTRY& entry, const char* localPath, const KnownDigests& known) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    const BOOL exists = GetFileAttributesExA(localPath, GetFileExInfoStandard, &info) &&
                        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!exists)
        return TRUE;
    if (entry.nKind == LINE_DEFAULT_FILE)
        return FALSE;
    if (info.nFileSizeHigh != 0 || info.nFileSizeLow != entry.dwSize)
        return TRUE;

    const KnownDigests::const_iterator it = known.find(entry.szName);
    if (it != known.end() && it->second == entry.szMd5)
        return FALSE;

    char actual[33] = "";
    if (!g_digest(localPath, actual))
        return TRUE;
    return strcmp(actual, entry.szMd5) != 0;
}

void FillJob(DOWNLOAD_JOB* job, const FILELIST_ENTRY& entry, const char* localPath) {
    memset(job, 0, sizeof *job);
    job->dwSize = entry.dwSize;
    memcpy(job->szMd5, entry.szMd5, strnlen(entry.szMd5, sizeof job->szMd5 - 1));
    memcpy(job->szLocalPath, localPath, strnlen(localPath, sizeof job->szLocalPath - 1));
    char url[MAX_PATH];
    snprintf(url, sizeof url, "%s%s", kDataUrl, entry.szName);
    EscapeUrlPath(url, job->szUrlPath);
}

bool QuitRequested() {
    return g_pMainDlg && g_pMainDlg->m_bQuit;
}

void ShowListProgress(int percent) {
    if (g_pMainDlg)
        g_pMainDlg->m_progressFile.SetPos(percent);
}

}  // namespace

#ifndef VELMORA_RELEASE_BUILD
void SetListDigestHook(ListDigestFn digest) {
    g_digest = digest ? digest : ComputeFileMd5;
}
#endif

BOOL PromoteFileList() {
    return MoveFileExA(kNewList, kInstalledList, MOVEFILE_REPLACE_EXISTING);
}

ListCheckResult CUpdateContext::BuildDownloadList() {
    m_jobs.clear();
    m_bSelfUpdate = 0;

    const KnownDigests known = ReadKnownDigests();

    FILE* f = fopen(kNewList, "rb");
    if (!f)
        return LIST_MISSING;
    fseek(f, 0, SEEK_END);
    const long length = ftell(f);
    fseek(f, 0, SEEK_SET);

    ListCheckResult result = LIST_OK;
    int entries = 0;
    bool sawGameClient = false;
    bool needOwnFile = false;
    DOWNLOAD_JOB ownJob;
    memset(&ownJob, 0, sizeof ownJob);

    char line[LIST_LINE_BUFFER];
    while (fgets(line, sizeof line, f)) {
        FILELIST_ENTRY entry = {nullptr, 0, nullptr, LINE_SKIP};
        entry.nKind = ParseListLine(line, &entry.szName, &entry.dwSize, &entry.szMd5);
        if (entry.nKind == LINE_SKIP)
            continue;

        char localPath[MAX_PATH];
        if (entry.nKind == LINE_INVALID || !BuildLocalPath(m_szDir, entry.szName, localPath)) {
            PatchLog("liste invalide : %s", line);
            result = LIST_INVALID;
            break;
        }

        ++entries;
        if (entry.nKind == LINE_FILE && _stricmp(entry.szName, kGameClient) == 0)
            sawGameClient = true;

        if (NeedsDownload(entry, localPath, known)) {
            DOWNLOAD_JOB job;
            FillJob(&job, entry, localPath);
            PatchLog("NeedDownload: %s", entry.szName);
            if (_stricmp(job.szLocalPath, m_szExePath) == 0) {
                ownJob = job;
                needOwnFile = true;
            } else {
                m_jobs.push_back(job);
            }
        }

        if (QuitRequested())
            break;
        if (length > 0)
            ShowListProgress(static_cast<int>(ftell(f) * 100.0 / length));
    }
    fclose(f);

    if (result == LIST_OK) {
        if (entries > 0 && sawGameClient) {
            if (needOwnFile) {
                m_jobs.clear();
                m_jobs.push_back(ownJob);
                m_bSelfUpdate = 1;
            }
            return LIST_OK;
        }
        PatchLog("liste sans %s (%d fichiers) : refusee", kGameClient, entries);
    }
    m_jobs.clear();
    return LIST_INVALID;
}
