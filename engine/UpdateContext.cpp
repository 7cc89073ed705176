#include "engine/UpdateContext.h"
#include <cstdio>
#include <cstring>

CUpdateContext::CUpdateContext()
    : m_szDir(), m_szExePath(), m_jobs(), m_bSelfUpdate(0)
{
}

void CUpdateContext::InitPaths()
{
    GetCurrentDirectoryA(sizeof m_szDir, m_szDir);
    GetModuleFileNameA(nullptr, m_szExePath, sizeof m_szExePath);
}

void CUpdateContext::AddJob(const char* name, const char* urlPath, int bOptional)
{
    DOWNLOAD_JOB job;
    memset(&job, 0, sizeof job);
    // A longer path is cut to its first 259 characters.
    snprintf(job.szLocalPath, sizeof job.szLocalPath, "%s\\%s", m_szDir, name);
    strncpy(job.szUrlPath, urlPath, sizeof job.szUrlPath - 1);
    job.bOptional = bOptional;
    m_jobs.push_back(job);
}

CUpdateContext InitUpdateContext()
{
    return CUpdateContext();
}

// Constructed after the application object (201) and before the language flag (203); the job
// list is destroyed at process exit like any other static object.
CUpdateContext g_update __attribute__((init_priority(202))) = InitUpdateContext();
