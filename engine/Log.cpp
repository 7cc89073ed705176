#include "engine/Log.h"
#include <windows.h>
#include <cstdarg>
#include <cstdio>

namespace {

// The UI thread and the worker both log; one line at a time keeps every line whole.
// An SRW lock needs no run-time initialisation, so logging works from static initialisers too.
SRWLOCK g_logLock = SRWLOCK_INIT;

class LogLockGuard {
public:
    LogLockGuard() { AcquireSRWLockExclusive(&g_logLock); }
    ~LogLockGuard() { ReleaseSRWLockExclusive(&g_logLock); }
    LogLockGuard(const LogLockGuard&) = delete;
    LogLockGuard& operator=(const LogLockGuard&) = delete;
};

} // namespace

void PatchLog(const char* format, ...)
{
    char message[4096];
    va_list args;
    va_start(args, format);
    // Keeps the first 4095 characters and always ends the string.
    if (vsnprintf(message, sizeof message, format, args) < 0)
        message[0] = '\0';
    va_end(args);

    LogLockGuard lock;
    FILE* file = fopen("PatchLog.txt", "a");
    if (!file)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    fprintf(file, "%02d/%02d-%02d:%02d:%02d\t%s\n", now.wMonth, now.wDay, now.wHour, now.wMinute,
            now.wSecond, message);
    fclose(file);
}
