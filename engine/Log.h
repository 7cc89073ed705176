// The launcher's log, "PatchLog.txt" in the current directory (the game folder).
#pragma once
#include <cstdio>

// Appends one time-stamped line ("MM/DD-hh:mm:ss<TAB>message" and a line end); the message is
// cut to 4095 characters. Safe to call from several threads: every line is written whole.
// A log that cannot be opened (read-only, locked) loses the line silently.
void PatchLog(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
