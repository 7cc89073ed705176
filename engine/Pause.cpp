#include "engine/Pause.h"
#include <cstdio>
#include <cstdlib>

namespace {

PauseHook g_hook = nullptr;

#ifndef VELMORA_RELEASE_BUILD
// Test builds only: a launcher started by an end-to-end test records its waits in the file
// named by VELMORA_WAIT_LOG and divides them by VELMORA_WAIT_DIVISOR.
DWORD EnvironmentHook(DWORD requestedMs)
{
    const char* log = getenv("VELMORA_WAIT_LOG");
    if (log && *log) {
        if (FILE* f = fopen(log, "a")) {
            fprintf(f, "%lu\n", (unsigned long)requestedMs);
            fclose(f);
        }
    }
    const char* divisor = getenv("VELMORA_WAIT_DIVISOR");
    long d = divisor ? strtol(divisor, nullptr, 10) : 1;
    return d > 1 ? requestedMs / (DWORD)d : requestedMs;
}

PauseHook ActiveHook()
{
    if (g_hook)
        return g_hook;
    static const bool fromEnvironment = getenv("VELMORA_WAIT_LOG") || getenv("VELMORA_WAIT_DIVISOR");
    return fromEnvironment ? EnvironmentHook : nullptr;
}
#else
PauseHook ActiveHook() { return g_hook; }
#endif

} // namespace

void PauseMs(DWORD ms)
{
    PauseHook hook = ActiveHook();
    Sleep(hook ? hook(ms) : ms);
}

BOOL PauseMsUnless(DWORD ms, HANDLE wake)
{
    PauseHook hook = ActiveHook();
    return WaitForSingleObject(wake, hook ? hook(ms) : ms) != WAIT_OBJECT_0;
}

UINT TimerElapseMs(UINT ms)
{
    PauseHook hook = ActiveHook();
    if (!hook)
        return ms;
    DWORD shortened = hook(ms);
    return shortened ? (UINT)shortened : 1;
}

void SetPauseHook(PauseHook hook)
{
    g_hook = hook;
}
