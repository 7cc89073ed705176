#include "controls/Label.h"

#include <shellapi.h>
#include <string.h>

BEGIN_MESSAGE_MAP(CLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CLabel::CLabel()
    : m_crTextColor(0),
      m_hbrBackground(NULL),
      m_hbrFlash(NULL),
      m_lfText(),
      m_bFlashOn(0),
      m_nFlashType(FLASH_NONE),
      m_hLinkCursor(NULL) {
    m_crTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
    m_hbrBackground = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_lfText, &m_lfText);
    m_fontText.Attach(::CreateFontIndirectA(&m_lfText));
    m_hbrFlash = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

CLabel::~CLabel() {
    m_fontText.DeleteObject();
    ::DeleteObject(m_hbrBackground);
    ::DeleteObject(m_hbrFlash);
}

CLabel& CLabel::SetCaption(const CString& strText) {
    SetWindowText(strText);
    return *this;
}

CLabel& CLabel::SetForeColor(COLORREF crText) {
    // The worker gives the colour again with every text, which has repainted the label already.
    if (crText == m_crTextColor)
        return *this;
    m_crTextColor = crText;
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return *this;
}

CLabel& CLabel::SetBold(BOOL bBold) {
    m_lfText.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return *this;
}

void CLabel::RebuildFont() {
    HFONT hFont = ::CreateFontIndirectA(&m_lfText);
    // The control may hold the old font (see CtlColor): it must not keep a deleted one.
    const HGDIOBJ hOld = m_fontText.GetSafeHandle();
    if (m_hWnd != NULL && hOld != NULL && (HGDIOBJ)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0) == hOld)
        ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)hFont, FALSE);
    m_fontText.DeleteObject();
    m_fontText.Attach(hFont);
}

HBRUSH CLabel::CtlColor(CDC* pDC, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_STATIC) {
        // Some static controls select their own font after asking for colours: make it ours.
        HFONT hFont = (HFONT)m_fontText.GetSafeHandle();
        if ((HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0) != hFont)
            ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)hFont, FALSE);
        pDC->SelectObject(&m_fontText);
        pDC->SetTextColor(m_crTextColor);
        pDC->SetBkMode(TRANSPARENT);
    }
    if (m_nFlashType == FLASH_BACKGROUND && m_bFlashOn == 0)
        return m_hbrFlash;
    return m_hbrBackground;
}

void CLabel::OnTimer(UINT_PTR /*nIDEvent*/) {
    m_bFlashOn = m_bFlashOn == 0 ? 1 : 0;
    switch (m_nFlashType) {
    case FLASH_TEXT:
        SetWindowText(m_bFlashOn ? "" : (LPCSTR)m_strSavedText);
        break;
    case FLASH_BACKGROUND:
        InvalidateRect(NULL, FALSE);
        UpdateWindow();
        break;
    default:
        break;
    }
    Default();
}

void CLabel::OnLButtonDown(UINT /*nFlags*/, CPoint /*point*/) {
    CString strText;
    GetWindowText(strText);
    ::ShellExecuteA(NULL, "open", strText, NULL, NULL, SW_SHOWNORMAL);
    Default();
}

BOOL CLabel::OnSetCursor(CWnd* /*pWnd*/, UINT /*nHitTest*/, UINT /*message*/) {
    if (m_hLinkCursor != NULL) {
        ::SetCursor(m_hLinkCursor);
        return TRUE;
    }
    return (BOOL)Default();
}
