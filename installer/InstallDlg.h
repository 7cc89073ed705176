// The dialog in which the user chooses the install folder, and the space figures it shows.
#pragma once

#include "framework/framework.h"

// "2.7 GB" / "2,7 Go": bytes in units of 2^30, one decimal.
CString FormatGigabytes(double bytes);

// Bytes free for this user on the volume of the folder or of its nearest existing ancestor; -1 when
// not even the drive's root answers.
double GetFreeDiskSpace(CString folder);

// What the game is taken to need until the server gives a plausible figure.
const double DEFAULT_REQUIRED_BYTES = 2.9e9;

// The bytes the game needs, from the third line of the version file on the game's web server;
// DEFAULT_REQUIRED_BYTES when the server gives no plausible figure.
double FetchRequiredSpace();
// The same query against the given host.
double FetchRequiredSpaceFrom(const char* host);

// The folder to propose for a folder picked in the picker: trailing backslashes removed and
// "\Velmora World" appended unless the last element already is that name (in any letter case).
CString InstallFolderFromPicked(const char* pickedPath);

class CInstallDlg : public CDialog {
public:
    CInstallDlg();
    ~CInstallDlg() override;

    // What the folder box last held; after IDOK, the accepted full path without trailing backslash (but
    // for a drive root's, "C:\").
    CString m_strFolder;
    double m_dRequiredBytes;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnBrowse();
    afx_msg void OnChangeFolder();
    void UpdateSpaceInfo();

    DECLARE_MESSAGE_MAP()
};
