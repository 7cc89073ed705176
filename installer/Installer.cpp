#include "installer/Installer.h"

#include <shlwapi.h>
#include <mbstring.h>
#include <string.h>
#include <vector>

#include "engine/Language.h"
#include "engine/Log.h"
#include "engine/Md5.h"
#include "engine/Pause.h"
#include "framework/MessageBox.h"
#include "installer/InstallDlg.h"
#include "installer/Shortcuts.h"

namespace {

const char kInstalledExeName[] = "Velmora World.exe";
const int kDeleteAttempts = 40;
const DWORD kDeleteRetryMs = 250;

// Starts the installed copy in its folder; the installer does not wait for it.
bool StartInstalledCopy(const CString& commandLine, const CString& folder) {
    std::vector<char> writable((LPCSTR)commandLine, (LPCSTR)commandLine + commandLine.GetLength() + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, writable.data(), NULL, NULL, FALSE, 0, NULL, folder, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

bool SameNameNoCase(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b)) == 0;
}

CString GetDirectoryPart(const char* path) {
    int cut = LastBackslash(path);
    if (cut <= 0)
        return CString(path);
    CString withBackslash(path, cut + 1);
    return IsDriveRoot(withBackslash) ? withBackslash : CString(path, cut);
}

CString PathInFolder(const char* folder, const char* name) {
    CString path = folder;
    if (!IsDriveRoot(folder))
        path += '\\';
    path += name;
    return path;
}

BOOL FileExistsIn(const char* folder, const char* name) {
    char path[MAX_PATH];
    lstrcpynA(path, PathInFolder(folder, name), sizeof(path));
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL IsGameFolder(const char* folder) {
    return FileExistsIn(folder, "filelist.txt") || FileExistsIn(folder, "filelist.new") ||
           FileExistsIn(folder, "Vorn.exe");
}

InstallResult RunInstaller(const char* exePath, HANDLE* phMutex) {
    CString launcherFolder = GetDirectoryPart(exePath);
    if (IsGameFolder(launcherFolder))
        return INSTALL_CONTINUE;

    CInstallDlg dlg;
    if (dlg.DoModal() != IDOK)
        return INSTALL_EXIT;
    CString folder = dlg.m_strFolder;

    if (SameNameNoCase(folder, launcherFolder)) {
        CreateShortcuts(exePath, launcherFolder);
        return INSTALL_CONTINUE;
    }

    CString target = PathInFolder(folder, kInstalledExeName);
    if (!CopyFileA(exePath, target, FALSE)) {
        DWORD error = GetLastError();
        CString message;
        message.Format(FrEn("Copie du lanceur impossible dans %s (%u).", "Cannot copy the launcher to %s (%u)."),
                       (LPCSTR)folder, (unsigned)error);
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
        return INSTALL_EXIT;
    }
    CreateShortcuts(target, folder);

    CString commandLine;
    commandLine.Format("\"%s\" /installe \"%s\"", (LPCSTR)target, exePath);
    // The installed copy must be able to take the single-instance mutex.
    if (phMutex != NULL && *phMutex != NULL) {
        CloseHandle(*phMutex);
        *phMutex = NULL;
    }
    if (!StartInstalledCopy(commandLine, folder)) {
        CString message;
        message.Format(FrEn("Le jeu est installé dans %s : lancez-le depuis le raccourci du Bureau.",
                            "The game is installed in %s: start it from the Desktop shortcut."),
                       (LPCSTR)folder);
        AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
    }
    return INSTALL_EXIT;
}

void DeleteDownloadedCopy(const char* ownPath, const char* downloadedPath) {
    if (_stricmp(ownPath, downloadedPath) == 0)
        return;
    if (_stricmp(PathFindExtensionA(downloadedPath), ".exe") != 0)
        return;
    char ownDigest[33];
    char downloadedDigest[33];
    if (!ComputeFileMd5(ownPath, ownDigest) || !ComputeFileMd5(downloadedPath, downloadedDigest) ||
        strcmp(ownDigest, downloadedDigest) != 0)
        return;

    // The first copy may still be ending: it stays locked until its process is gone.
    DWORD error = 0;
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileA(downloadedPath))
            error = 0;
        else
            error = GetLastError();
        if (error == 0 || GetFileAttributesA(downloadedPath) == INVALID_FILE_ATTRIBUTES) {
            PatchLog("INSTALLE, telecharge supprime : %s", downloadedPath);
            return;
        }
        PauseMs(kDeleteRetryMs);
    }
    PatchLog("INSTALLE, telecharge NON supprime (%u) : %s", (unsigned)error, downloadedPath);
    CString message;
    message.Format(FrEn("Velmora World est installé. Vous pouvez supprimer le fichier téléchargé :\n%s",
                        "Velmora World is installed. You can delete the downloaded file:\n%s"),
                   downloadedPath);
    AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
}
