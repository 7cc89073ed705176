// The state the whole program shares: the game folder, the launcher's own path and the queue of
// files to download.
#pragma once
#include <windows.h>
#include <list>
#include "engine/ListCheckResult.h"

// The printer API's AddJob macro would rename our member to AddJobA.
#undef AddJob

// One file to fetch. All zero before it is filled; copied by value into the queue.
struct DOWNLOAD_JOB {
    DWORD dwSize;          // expected size in bytes, 0 when not known
    char szMd5[33];        // 32 lower-case hex digits, or empty: no digest check and no resumption
    char szLocalPath[260]; // game folder, a backslash and the file's name
    char szUrlPath[783];   // path on the game's web server, without the leading slash, query included
    int bOptional;         // nonzero: a file missing on the server leaves an empty local file
};

class CUpdateContext {
public:
    CUpdateContext();

    // Records the current directory as the game folder and the running executable's path;
    // FALSE, with both left empty, when either is not given whole.
    BOOL InitPaths();

    // Queues one job at the end of m_jobs: local path m_szDir + "\" + name (name kept as given),
    // the URL path as given, no size and no digest. FALSE, with nothing queued, when the local
    // path or the URL path does not fit in the job.
    BOOL AddJob(const char* name, const char* urlPath, int bOptional);

    // Checks "filelist.new" and queues every listed file that is missing or differs.
    ListCheckResult BuildDownloadList();

    char m_szDir[260];
    char m_szExePath[260];
    std::list<DOWNLOAD_JOB> m_jobs;
    int m_bSelfUpdate;
};

// The program's one update context, constructed before the language flag is set.
extern CUpdateContext g_update;

// Makes the context g_update starts with: no paths, no jobs, no self-update.
CUpdateContext InitUpdateContext();
