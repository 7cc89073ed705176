// Dialogs from resource templates, run by our own modal loop, and the data exchange that binds
// template controls to member objects.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    // The control's handle; NULL (and m_bFailed set) when the template has no such control.
    HWND PrepareCtrl(int nIDC);

    BOOL m_bSaveAndValidate; // TRUE: controls -> members
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;
};

// Binds the template's control nIDC to rControl once (PreSubclassWindow runs, then its messages go
// through rControl's map).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    ~CDialog() override;

    // Runs the dialog until EndDialog or a WM_QUIT and returns the EndDialog result; -1 when the
    // window could not be made or a WM_QUIT ended the run. The window is destroyed on return.
    // The quit message is not posted again: nothing outside the dialog loops in this program.
    virtual INT_PTR DoModal();
    // Modeless, without a loop of its own: how the tests open the program's windows.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Runs from WM_INITDIALOG; CDialog's binds the controls (UpdateData(FALSE)). TRUE: the dialog
    // manager gives the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    LPCTSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    BOOL CreateFromTemplate(HWND hWndOwner);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR m_nModalResult;
    BOOL m_bInModal;
    BOOL m_bEndModal;

    DECLARE_MESSAGE_MAP()
};
