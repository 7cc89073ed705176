#include "engine/UpdateContext.h"
#include <cstring>
#include "engine/PathFit.h"

CUpdateContext::CUpdateContext()
    : m_szDir(), m_szExePath(), m_jobs(), m_bSelfUpdate(0)
{
}

BOOL CUpdateContext::InitPaths()
{
    DWORD length = GetCurrentDirectoryA(sizeof m_szDir, m_szDir);
    if (length == 0 || length >= sizeof m_szDir || !GetOwnExePath(m_szExePath)) {
        memset(m_szDir, 0, sizeof m_szDir);
        memset(m_szExePath, 0, sizeof m_szExePath);
        return FALSE;
    }
    return TRUE;
}

BOOL CUpdateContext::AddJob(const char* name, const char* urlPath, int bOptional)
{
    DOWNLOAD_JOB job;
    memset(&job, 0, sizeof job);
    if (!JoinFolderPath(job.szLocalPath, m_szDir, name) ||
        !FormatWhole(job.szUrlPath, sizeof job.szUrlPath, "%s", urlPath))
        return FALSE;
    job.bOptional = bOptional;
    m_jobs.push_back(job);
    return TRUE;
}

CUpdateContext InitUpdateContext()
{
    return CUpdateContext();
}

// Constructed after the application object (201) and before the language flag (203); the job
// list is destroyed at process exit like any other static object.
CUpdateContext g_update __attribute__((init_priority(202))) = InitUpdateContext();
