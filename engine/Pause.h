// The program's fixed waits (between download attempts, connections, start-up checks...)
// all go through here, so that tests can record what was asked for and shorten it.
#pragma once
#include <windows.h>

// Sleeps for the given time, or for what the test hook makes of it.
void PauseMs(DWORD ms);

// The same pause, ended early once `wake` (an event) is set; FALSE when `wake` ended it.
BOOL PauseMsUnless(DWORD ms, HANDLE wake);

// The elapse to give a timer that the program wants to fire after `ms`.
UINT TimerElapseMs(UINT ms);

// Test seam: the hook gets each requested wait and returns the time actually waited.
typedef DWORD (*PauseHook)(DWORD requestedMs);
void SetPauseHook(PauseHook hook);
