#include "framework/Dialog.h"

#include "framework/App.h"

// --- data exchange

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
    if (hWndCtrl == NULL) {
        char text[96];
        wsprintfA(text, "Dialog data exchange: the dialog has no control %d.\n", nIDC);
        OutputDebugStringA(text);
        m_bFailed = TRUE;
    }
    return hWndCtrl;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != NULL || pDX->m_bSaveAndValidate)
        return; // bound once, when the dialog starts
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (hWndCtrl != NULL && !rControl.SubclassWindow(hWndCtrl)) {
        OutputDebugStringA("Dialog data exchange: the control is bound to another object already.\n");
        pDX->m_bFailed = TRUE;
    }
}

// --- CDialog

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd), m_nModalResult(-1),
      m_bInModal(FALSE), m_bEndModal(FALSE) {}

CDialog::~CDialog() {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE; // everything else went through the dialog's message map already
    CDialog* pDlg = (CDialog*)lParam;
    if (pDlg->m_hWnd != hWnd && !pDlg->SubclassWindow(hWnd))
        return TRUE;
    return pDlg->OnInitDialog();
}

BOOL CDialog::CreateFromTemplate(HWND hWndOwner) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInst, m_lpszTemplateName, (LPCSTR)RT_DIALOG);
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInst, hResource) : NULL;
    LPCDLGTEMPLATEA pTemplate = hTemplate ? (LPCDLGTEMPLATEA)::LockResource(hTemplate) : NULL;
    if (pTemplate == NULL) {
        OutputDebugStringA("CDialog: the dialog template is not in the resources.\n");
        return FALSE;
    }
    AfxInitCommonControls();
    HookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, pTemplate, hWndOwner, &CDialog::DialogProc, (LPARAM)this);
    UnhookWindowCreate();
    if (hWnd == NULL) {
        if (m_hWnd != NULL) // bound but never finished: let go of it
            Detach();
        return FALSE;
    }
    return m_hWnd == hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != NULL)
        return FALSE;
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(pParentWnd->GetSafeHwnd());
}

namespace {

// The top-level window a modal dialog disables while it runs.
HWND ModalOwner(CWnd* pParentWnd, CWnd* pDialog) {
    HWND hWndOwner = pParentWnd->GetSafeHwnd();
    if (hWndOwner == NULL) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain != pDialog)
            hWndOwner = pMain->GetSafeHwnd();
    }
    if (hWndOwner != NULL)
        hWndOwner = ::GetAncestor(hWndOwner, GA_ROOT);
    if (hWndOwner != NULL && GetWindowThreadProcessId(hWndOwner, NULL) != GetCurrentThreadId())
        hWndOwner = NULL;
    return hWndOwner;
}

} // namespace

INT_PTR CDialog::DoModal() {
    if (m_hWnd != NULL)
        return -1;
    HWND hWndOwner = ModalOwner(m_pParentWnd, this);
    BOOL bOwnerDisabled = FALSE;
    if (hWndOwner != NULL && ::IsWindowEnabled(hWndOwner)) {
        ::EnableWindow(hWndOwner, FALSE);
        bOwnerDisabled = TRUE;
    }

    m_nModalResult = -1;
    m_bEndModal = FALSE;
    m_bInModal = TRUE;
    if (CreateFromTemplate(hWndOwner)) {
        BOOL bShown = FALSE;
        MSG msg;
        while (!m_bEndModal && m_hWnd != NULL) {
            if (!bShown) { // after OnInitDialog, unless that already ended the dialog
                bShown = TRUE;
                if (!(GetStyle() & WS_VISIBLE))
                    ShowWindow(SW_SHOWNORMAL);
            }
            if (!::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
                AfxDeleteTempMap();
            BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
            if (got == 0 || got == -1)
                break; // WM_QUIT: the run ends and the window goes
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }

    if (bOwnerDisabled)
        ::EnableWindow(hWndOwner, TRUE);
    if (m_hWnd != NULL) {
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hWndOwner != NULL && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(hWndOwner);
        DestroyWindow();
    }
    m_bInModal = FALSE;
    AfxDeleteTempMap();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (m_bInModal) {
        m_bEndModal = TRUE;
        if (m_hWnd != NULL)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0); // wakes the loop up
    } else if (m_hWnd != NULL) {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // The dialog manager's keys: Tab, arrows, Enter (IDOK), Escape (IDCANCEL), mnemonics.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd != NULL)
        return ::IsDialogMessageA(m_hWnd, pMsg);
    return FALSE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
