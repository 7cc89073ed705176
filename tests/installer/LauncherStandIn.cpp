// Plays the launcher executable for the install tests: the start-up steps around the installer, with
// a report of what happened instead of the main window.
//
// Environment: VELMORA_STANDIN_REPORT, the file that gets one line per event ("<exe name>\t<event>");
// VELMORA_STANDIN_MUTEX, the single-instance mutex name (tests run side by side);
// VELMORA_STANDIN_PAUSE_DIVISOR, how much shorter the program's waits are (recorded in the report).
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "engine/Log.h"
#include "engine/Pause.h"
#include "framework/framework.h"
#include "installer/Installer.h"

namespace {

std::string ExeName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    const char* name = strrchr(path, '\\');
    return name ? name + 1 : path;
}

void Report(const char* format, ...) {
    const char* report = getenv("VELMORA_STANDIN_REPORT");
    if (!report)
        return;
    char event[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(event, sizeof event, format, args);
    va_end(args);
    std::string line = ExeName() + "\t" + event + "\n";
    // Both processes may write at once: append whole lines under a retry.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(report, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), (DWORD)line.size(), &written, NULL);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

DWORD g_divisor = 1;

DWORD RecordPause(DWORD requestedMs) {
    Report("wait %lu", (unsigned long)requestedMs);
    return requestedMs / g_divisor;
}

class CStandInApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    bool TakeMutex();
    HANDLE m_hMutex = NULL;
};

bool CStandInApp::TakeMutex() {
    const char* name = getenv("VELMORA_STANDIN_MUTEX");
    for (int attempt = 1; attempt <= 20; ++attempt) {
        m_hMutex = CreateMutexA(NULL, FALSE, name ? name : "VelmoraWorldPatcher");
        if (m_hMutex != NULL && GetLastError() != ERROR_ALREADY_EXISTS) {
            Report("mutex taken at attempt %d", attempt);
            return true;
        }
        if (m_hMutex != NULL)
            CloseHandle(m_hMutex);
        m_hMutex = NULL;
        PauseMs(250);
    }
    Report("already running");
    return false;
}

BOOL CStandInApp::InitInstance() {
    if (const char* divisor = getenv("VELMORA_STANDIN_PAUSE_DIVISOR")) {
        g_divisor = (DWORD)atoi(divisor) > 0 ? (DWORD)atoi(divisor) : 1;
        SetPauseHook(RecordPause);
    }
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    Report("command line: %s", GetCommandLineA());
    Report("current folder: %s", current);
    if (!TakeMutex())
        return FALSE;

    char exePath[MAX_PATH] = "";
    GetModuleFileNameA(NULL, exePath, MAX_PATH);
    const char* installe = strstr(m_lpCmdLine, "/installe \"");
    if (!installe && !strstr(m_lpCmdLine, "/relance")) {
        InstallResult result = RunInstaller(exePath, &m_hMutex);
        Report("RunInstaller %d, mutex %s", (int)result, m_hMutex ? "open" : "closed");
        if (result == INSTALL_EXIT) {
            if (m_hMutex)
                CloseHandle(m_hMutex);
            return FALSE;
        }
    }

    SetCurrentDirectoryA(GetDirectoryPart(exePath));
    DeleteFileA("PatchLog.txt");
    if (installe) {
        std::string downloaded = installe + strlen("/installe \"");
        size_t end = downloaded.find('"');
        if (end != std::string::npos && end > 0) {
            DeleteDownloadedCopy(exePath, downloaded.substr(0, end).c_str());
            Report("DeleteDownloadedCopy done");
        }
    }
    Report("main window");
    if (m_hMutex)
        CloseHandle(m_hMutex);
    return FALSE;
}

CStandInApp theApp __attribute__((init_priority(201)));

} // namespace
