// The first-run install: a copy started outside a game folder installs itself and hands over.
#pragma once

#include <windows.h>

#include "engine/PathFit.h"
#include "framework/String.h"

enum InstallResult {
    INSTALL_CONTINUE = 0, // start-up goes on in this process
    INSTALL_EXIT = 1      // this process ends
};

// Runs the install when exePath's folder is not a game folder. *phMutex (the single-instance mutex)
// is closed and set to NULL just before the installed copy is started.
InstallResult RunInstaller(const char* exePath, HANDLE* phMutex);

// Run by the installed copy: deletes the first, downloaded copy once it proved to be the same program.
void DeleteDownloadedCopy(const char* ownPath, const char* downloadedPath);

// TRUE when the folder holds "filelist.txt", "filelist.new" or "Vorn.exe" (file or folder).
BOOL IsGameFolder(const char* folder);
BOOL FileExistsIn(const char* folder, const char* name);

// Paths and names in the ANSI code page, whose double-byte characters are never split.
bool SameNameNoCase(const char* a, const char* b);
// The path before its last backslash; the whole path when it has none, or only a leading one. A drive
// root keeps its backslash: "C:\Setup.exe" and "C:\" give "C:\".
CString GetDirectoryPart(const char* path);
// The folder and the name joined by one backslash (a drive root has its own already).
CString PathInFolder(const char* folder, const char* name);
