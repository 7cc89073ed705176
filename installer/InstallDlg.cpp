#include "installer/InstallDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "engine/Language.h"
#include "installer/Installer.h"
#include "res/resource.h"

namespace {

const char kGameName[] = "Velmora World";

void Warn(LPCSTR french, LPCSTR english) { AfxMessageBox(FrEn(french, english), MB_OK | MB_ICONEXCLAMATION); }

// The system folders that need administrator rights; a folder equal to one of them or below it is refused.
bool IsInSystemFolder(const CString& folder) {
    static const int kFolders[] = {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS};
    for (int csidl : kFolders) {
        char system[MAX_PATH] = "";
        if (FAILED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, system)))
            continue;
        size_t length = strlen(system);
        if (length <= 3)
            continue;
        LPCSTR path = folder;
        if (strlen(path) >= length && _strnicmp(path, system, length) == 0 &&
            (path[length] == '\0' || path[length] == '\\'))
            return true;
    }
    return false;
}

// Creates the folder with its missing parents and proves a file can be written in it.
bool CanWriteIn(const CString& folder) {
    int result = SHCreateDirectoryExA(NULL, folder, NULL);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_EXISTS && result != ERROR_ALREADY_EXISTS)
        return false;
    HANDLE hFile = CreateFileA(PathInFolder(folder, "ecriture.tmp"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

// Removes every trailing backslash but a drive root's, leaving the second byte of a double-byte
// character alone.
void RemoveTrailingBackslashes(CString& path) {
    int cut;
    while ((cut = LastBackslash(path)) >= 0 && cut == path.GetLength() - 1 && !IsDriveRoot(path))
        path = path.Left(cut);
}

double FreeBytesOf(LPCSTR path) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path, &available, NULL, NULL))
        return -1;
    return (double)available.QuadPart;
}

} // namespace

CString FormatGigabytes(double bytes) {
    CString text;
    text.Format("%.1f %s", bytes / 1073741824.0, FrEn("Go", "GB"));
    if (g_bFrench)
        text.Replace('.', ',');
    return text;
}

double GetFreeDiskSpace(CString folder) {
    double bytes = FreeBytesOf(folder);
    CString path = folder;
    while (bytes < 0) {
        CString parent = GetDirectoryPart(path);
        // Nothing left to shorten, or the drive's root itself did not answer.
        if (parent.GetLength() == path.GetLength())
            return -1;
        path = parent;
        bytes = FreeBytesOf(path);
    }
    return bytes;
}

CString InstallFolderFromPicked(const char* pickedPath) {
    CString folder = pickedPath ? pickedPath : "";
    RemoveTrailingBackslashes(folder);
    int cut = LastBackslash(folder);
    CString last = cut >= 0 ? folder.Mid(cut + 1) : folder;
    return SameNameNoCase(last, kGameName) ? folder : PathInFolder(folder, kGameName);
}

CInstallDlg::CInstallDlg() : CDialog(IDD_INSTALL, NULL), m_dRequiredBytes(DEFAULT_REQUIRED_BYTES) {}

CInstallDlg::~CInstallDlg() {}

BEGIN_MESSAGE_MAP(CInstallDlg, CDialog)
    ON_BN_CLICKED(IDC_INSTALL_BROWSE, OnBrowse)
    ON_EN_CHANGE(IDC_INSTALL_FOLDER, OnChangeFolder)
END_MESSAGE_MAP()

BOOL CInstallDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetWindowText(kGameName);
    HICON hIcon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_LAUNCHER));
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)hIcon);

    SetDlgItemText(IDC_INSTALL_PROMPT,
                   FrEn("Où installer Velmora World ? Le jeu sera téléchargé dans ce dossier et un raccourci "
                        "sera créé sur le Bureau.",
                        "Where should Velmora World be installed? The game will be downloaded into this folder "
                        "and a shortcut will be created on the Desktop."));
    SetDlgItemText(IDC_INSTALL_BROWSE, FrEn("Parcourir...", "Browse..."));
    SetDlgItemText(IDOK, FrEn("Installer", "Install"));
    SetDlgItemText(IDCANCEL, FrEn("Annuler", "Cancel"));

    char base[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, base)))
        lstrcpynA(base, "C:\\Jeux", sizeof(base));
    m_strFolder.Format("%s\\%s", base, kGameName);

    // A blocking network call: the dialog is not shown yet.
    BeginWaitCursor();
    m_dRequiredBytes = FetchRequiredSpace();
    EndWaitCursor();

    SetDlgItemText(IDC_INSTALL_FOLDER, m_strFolder);
    UpdateSpaceInfo();
    return TRUE;
}

void CInstallDlg::OnChangeFolder() {
    GetDlgItemText(IDC_INSTALL_FOLDER, m_strFolder);
    UpdateSpaceInfo();
}

void CInstallDlg::UpdateSpaceInfo() {
    double freeBytes = GetFreeDiskSpace(m_strFolder);
    CString available = freeBytes < 0 ? CString("?") : FormatGigabytes(freeBytes);
    CString required = FormatGigabytes(m_dRequiredBytes);
    CString line;
    line.Format(FrEn("Espace nécessaire : %s    -    disponible : %s", "Required space: %s    -    available: %s"),
                (LPCSTR)required, (LPCSTR)available);
    SetDlgItemText(IDC_INSTALL_SPACE, line);
}

void CInstallDlg::OnOK() {
    GetDlgItemText(IDC_INSTALL_FOLDER, m_strFolder);
    m_strFolder.TrimRight();
    m_strFolder.TrimLeft();
    RemoveTrailingBackslashes(m_strFolder);

    char full[MAX_PATH] = "";
    DWORD length = 0;
    if (m_strFolder.IsEmpty() || PathIsRelativeA(m_strFolder) ||
        (length = GetFullPathNameA(m_strFolder, sizeof(full), full, NULL)) == 0) {
        Warn("Indiquez un dossier complet, par exemple C:\\Jeux\\Velmora World.",
             "Enter a full folder path, for example C:\\Games\\Velmora World.");
        return;
    }
    CString fullPath = full;
    // A slash typed at the end has become a backslash only now.
    RemoveTrailingBackslashes(fullPath);
    if (length >= sizeof(full) || fullPath.GetLength() > 190) {
        Warn("Chemin trop long : choisissez un dossier plus court (ex. C:\\Jeux\\Velmora World).",
             "Path too long: choose a shorter folder (e.g. C:\\Games\\Velmora World).");
        return;
    }
    m_strFolder = fullPath;

    if (IsInSystemFolder(m_strFolder)) {
        Warn("Program Files et Windows demandent des droits administrateur : choisissez un autre dossier.",
             "Program Files and Windows require administrator rights: choose another folder.");
        return;
    }
    double freeBytes = GetFreeDiskSpace(m_strFolder);
    if (freeBytes >= 0 && freeBytes < m_dRequiredBytes) {
        Warn("Espace disque insuffisant sur ce disque.", "Not enough disk space on this drive.");
        return;
    }
    if (!CanWriteIn(m_strFolder)) {
        Warn("Impossible d'écrire dans ce dossier : choisissez-en un autre.",
             "Cannot write to this folder: choose another one.");
        return;
    }
    CDialog::OnOK();
}

void CInstallDlg::OnBrowse() {
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    BROWSEINFOA info = {};
    info.hwndOwner = m_hWnd;
    info.lpszTitle = FrEn("Dossier où installer le jeu", "Folder to install the game in");
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST pidl = SHBrowseForFolderA(&info);
    if (pidl == NULL)
        return;

    char picked[MAX_PATH] = "";
    if (SHGetPathFromIDListA(pidl, picked))
        SetDlgItemText(IDC_INSTALL_FOLDER, InstallFolderFromPicked(picked));
    CoTaskMemFree(pidl);
}
