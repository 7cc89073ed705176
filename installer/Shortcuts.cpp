#include "installer/Shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

namespace {

const char kShortcutName[] = "Velmora World.lnk";
const char kDescription[] = "Velmora World";

void CreateShortcutIn(int csidl, const char* targetPath, const char* workingFolder) {
    char folder[MAX_PATH] = "";
    if (SUCCEEDED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, folder)))
        CreateShortcut(folder, targetPath, workingFolder);
}

} // namespace

void CreateShortcuts(const char* targetPath, const char* workingFolder) {
    // The current user's folders, not the ones shared by all users.
    CreateShortcutIn(CSIDL_DESKTOPDIRECTORY, targetPath, workingFolder);
    CreateShortcutIn(CSIDL_PROGRAMS, targetPath, workingFolder);
}

void CreateShortcut(const char* linkFolder, const char* targetPath, const char* workingFolder) {
    char linkPath[MAX_PATH];
    _snprintf(linkPath, sizeof(linkPath), "%s\\%s", linkFolder, kShortcutName);
    linkPath[MAX_PATH - 1] = '\0';

    HRESULT hrInit = CoInitialize(NULL);
    IShellLinkA* pLink = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        pLink->SetPath(targetPath);
        pLink->SetWorkingDirectory(workingFolder);
        pLink->SetDescription(kDescription);
        pLink->SetIconLocation(targetPath, 0);

        IPersistFile* pFile = NULL;
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WCHAR wideLinkPath[MAX_PATH] = L"";
            MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLinkPath, MAX_PATH);
            pFile->Save(wideLinkPath, TRUE);
            pFile->Release();
        }
        pLink->Release();
    }
    if (hrInit == S_OK || hrInit == S_FALSE)
        CoUninitialize();
}
