#include "framework/Controls.h"

// --- CButton

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem((LPDRAWITEMSTRUCT)lParam);
    if (pResult != NULL)
        *pResult = TRUE;
    return TRUE;
}

// --- CProgressCtrl

void CProgressCtrl::SetRange(short nLower, short nUpper) {
    ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}
int CProgressCtrl::SetPos(int nPos) { return (int)::SendMessageA(m_hWnd, PBM_SETPOS, (WPARAM)nPos, 0); }
COLORREF CProgressCtrl::SetBarColor(COLORREF clrBar) {
    return (COLORREF)::SendMessageA(m_hWnd, PBM_SETBARCOLOR, 0, (LPARAM)clrBar);
}
COLORREF CProgressCtrl::SetBkColor(COLORREF clrNew) {
    return (COLORREF)::SendMessageA(m_hWnd, PBM_SETBKCOLOR, 0, (LPARAM)clrNew);
}

// --- CToolTipCtrl

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    AfxInitCommonControls();
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, NULL, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd->GetSafeHwnd(), NULL, NULL);
}
void CToolTipCtrl::Activate(BOOL bActivate) { ::SendMessageA(m_hWnd, TTM_ACTIVATE, bActivate, 0); }
int CToolTipCtrl::SetMaxTipWidth(int iWidth) {
    return (int)::SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, (LPARAM)iWidth);
}
void CToolTipCtrl::RelayEvent(LPMSG lpMsg) { ::SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
