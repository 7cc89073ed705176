// The launcher's main window: a picture-shaped dialog with the news view, four image buttons,
// three labels, two progress bars and the version line, driving the update engine.
#pragma once
#include "framework/framework.h"
#include "controls/BackgroundPicture.h"
#include "controls/ImageButton.h"
#include "controls/Label.h"
#include "res/resource.h"
#include "launcher/UpdateState.h"

class CUpdater;

class CTarnwickDlg : public CDialog {
public:
    explicit CTarnwickDlg(CWnd* pParent = NULL);
    virtual ~CTarnwickDlg();

    enum { IDD = IDD_LAUNCHER };

    CUpdater* m_pUpdater;  // the download worker; deleted (and stopped) by OnDestroy
    int m_bQuit;           // set once the user quits or the launcher restarts itself
    int m_nState;          // update controller state
    int m_nSigRetries;     // failed signature checks in a row
    CBackgroundPicture m_picture;
    CWnd m_wndBrowser;
    CFont m_font;
    CImageButton m_btnPlay;
    CImageButton m_btnSignUp;
    CImageButton m_btnWebsite;
    CImageButton m_btnQuit;
    CProgressCtrl m_progressFile;   // share of the current file (or of the list examined), 0-100
    CProgressCtrl m_progressTotal;  // share of all queued downloads, 0-100
    CLabel m_lblCount;
    CLabel m_lblSpeed;
    CLabel m_lblStatus;
    CLabel m_lblVersion;
    HICON m_hIcon;

    // Update controller (UpdateController.cpp).
    void StartUpdateCheck();
    void ShowError(const char* text);
    void SetReady();
    void ShowVersion();

    // Window look (MainWindowLayout.cpp).
    BOOL SetupWindow();
    void CreateBrowser(const char* url);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnCancel();

    afx_msg LRESULT OnUpdateDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUpdateFailed(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnPlay();
    // The steps after a run of the worker (UpdateController.cpp).
    void RetryUnauthenticatedList();
    void CheckGameFiles();
    void StartDownloads();
    void RestartAfterSelfUpdate();

    afx_msg void OnDestroy();
    afx_msg void OnQuit();

    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnSignUp();
    afx_msg void OnWebsite();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};

// The running main window, set by the application just before the modal run; never cleared.
extern CTarnwickDlg* g_pMainDlg;
