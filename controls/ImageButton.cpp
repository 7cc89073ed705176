// CImageButton: data, setters and message handling. The drawing is in ImageButtonDraw.cpp.
#include "controls/ImageButton.h"

#include <shellapi.h>
#include <string.h>

BEGIN_MESSAGE_MAP(CImageButton, CWnd)
    ON_WM_SETCURSOR()
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEMOVE()
    ON_WM_SYSCOLORCHANGE()
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
    ON_WM_ACTIVATE()
    ON_WM_ENABLE()
    ON_WM_CANCELMODE()
    ON_WM_GETDLGCODE()
    ON_WM_CTLCOLOR_REFLECT()
    ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_MESSAGE(BM_SETCHECK, OnSetCheck)
    ON_MESSAGE(BM_GETCHECK, OnGetCheck)
END_MESSAGE_MAP()

CImageButton::CImageButton()
    : m_bGrayDisabledBitmap(TRUE),
      m_ptImageMargin{3, 3},
      m_ptPressShift{1, 1},
      m_bFlat(TRUE),
      m_bHover(FALSE),
      m_bParentBackground(FALSE),
      m_bPressed(FALSE),
      m_bFocused(FALSE),
      m_bDisabled(FALSE),
      m_bDefaultButton(FALSE),
      m_bCheckBox(FALSE),
      m_nAlign(ALIGN_IMAGE_LEFT),
      m_bBorder(TRUE),
      m_crSlots{},
      m_hMenuOwner(NULL),
      m_bMenuShown(FALSE),
      m_hMenu(NULL),
      m_hButtonCursor(NULL),
      m_pOldParentBitmap(NULL),
      m_nCheckState(0),
      m_szLinkUrl{},
      m_icons{},
      m_bitmaps{},
      m_menuNotify{} {
    ReleaseImages(FALSE);
    SetPressedShift(PRESSED_SHIFT_DIAGONAL, FALSE);
    ResetColorSlots(FALSE);
    SetLinkUrl(NULL);
}

CImageButton::~CImageButton() {
    if (m_dcParentCopy.GetSafeHdc() != NULL && m_pOldParentBitmap != NULL)
        m_dcParentCopy.SelectObject(m_pOldParentBitmap);
    m_pOldParentBitmap = NULL;
    ReleaseImages(TRUE);
    if (m_hButtonCursor != NULL)
        ::DestroyCursor(m_hButtonCursor);
    if (m_hMenu != NULL)
        ::DestroyMenu(m_hMenu);
}

// ---- setters ---------------------------------------------------------------------------

ButtonResult CImageButton::SetBorderVisible(BOOL bBorder, BOOL bRepaint) {
    m_bBorder = bBorder;
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

ButtonResult CImageButton::SetImageAlign(BYTE nAlign, BOOL bRepaint) {
    if (nAlign > ALIGN_IMAGE_BEHIND)
        return BUTTON_BAD_ALIGN;
    m_nAlign = nAlign;
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

ButtonResult CImageButton::SetPressedShift(BYTE nStyle, BOOL bRepaint) {
    switch (nStyle) {
    case PRESSED_SHIFT_DIAGONAL:
        m_ptPressShift.x = 1;
        m_ptPressShift.y = 1;
        break;
    case PRESSED_SHIFT_DOWN:
        m_ptPressShift.x = 0;
        m_ptPressShift.y = 2;
        break;
    default:
        return BUTTON_BAD_PRESSED_STYLE;
    }
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

ButtonResult CImageButton::SetColorSlot(BYTE nSlot, COLORREF crColor, BOOL bRepaint) {
    if (nSlot >= COLOR_SLOT_COUNT)
        return BUTTON_BAD_SLOT;
    m_crSlots[nSlot] = crColor;
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

ButtonResult CImageButton::ResetColorSlots(BOOL bRepaint) {
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF crText = ::GetSysColor(COLOR_BTNTEXT);
    m_crSlots[COLOR_SLOT_BACK_HOVER] = crFace;
    m_crSlots[COLOR_SLOT_TEXT_HOVER] = crText;
    m_crSlots[COLOR_SLOT_BACK_NORMAL] = crFace;
    m_crSlots[COLOR_SLOT_TEXT_NORMAL] = crText;
    m_crSlots[COLOR_SLOT_BACK_FOCUS] = crFace;
    m_crSlots[COLOR_SLOT_TEXT_FOCUS] = crText;
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

void CImageButton::SetParentBackgroundMode(BOOL bRepaint) {
    m_bParentBackground = TRUE;
    DropParentCopy(TRUE);
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
}

// The copy is taken anew at the next draw. bSelectBack restores the DC's original bitmap
// before the copy bitmap is deleted; otherwise deleting the DC first frees the selection.
void CImageButton::DropParentCopy(BOOL bSelectBack) {
    if (bSelectBack) {
        if (m_dcParentCopy.GetSafeHdc() != NULL && m_pOldParentBitmap != NULL)
            m_dcParentCopy.SelectObject(m_pOldParentBitmap);
        m_bmpParentCopy.DeleteObject();
        m_dcParentCopy.DeleteDC();
    } else {
        m_dcParentCopy.DeleteDC();
        m_bmpParentCopy.DeleteObject();
    }
    m_pOldParentBitmap = NULL;
}

ButtonResult CImageButton::LoadBitmapPair(UINT nIdHot, COLORREF crHot, UINT nIdNormal, COLORREF crNormal) {
    HINSTANCE hRes = AfxGetResourceHandle();
    HBITMAP hHot = (HBITMAP)::LoadImageA(hRes, MAKEINTRESOURCEA(LOWORD(nIdHot)), IMAGE_BITMAP, 0, 0,
                                         LR_DEFAULTCOLOR);
    HBITMAP hNormal = NULL;
    if (nIdNormal != 0)
        hNormal = (HBITMAP)::LoadImageA(hRes, MAKEINTRESOURCEA(LOWORD(nIdNormal)), IMAGE_BITMAP, 0, 0,
                                        LR_DEFAULTCOLOR);
    const ButtonResult result = SetBitmapPair(hHot, crHot, hNormal, crNormal);
    // Without a hot face the button does not take the normal one: it was loaded here, free it here.
    if (hHot == NULL && hNormal != NULL)
        ::DeleteObject(hNormal);
    return result;
}

ButtonResult CImageButton::SetBitmapPair(HBITMAP hHot, COLORREF crHot, HBITMAP hNormal, COLORREF crNormal) {
    ReleaseImages(TRUE);
    if (hHot == NULL) {
        // No images; hNormal stays the caller's.
        InvalidateRect(NULL, TRUE);
        return BUTTON_OK;
    }

    const HBITMAP handles[2] = {hHot, hNormal};
    const COLORREF colours[2] = {crHot, crNormal};
    for (int i = 0; i < 2; ++i) {
        m_bitmaps[i].hBitmap = handles[i];
        m_bitmaps[i].crTransparent = colours[i];
    }
    for (int i = 0; i < 2; ++i) {
        BUTTON_BITMAP& rec = m_bitmaps[i];
        if (rec.hBitmap == NULL)
            continue;
        // GetObject alone would accept a brush or a pen: check the kind first.
        BITMAP bm = {};
        if (::GetObjectType(rec.hBitmap) != OBJ_BITMAP || ::GetObjectA(rec.hBitmap, sizeof bm, &bm) == 0) {
            ReleaseImages(TRUE);
            return BUTTON_BAD_RESOURCE;
        }
        rec.dwWidth = (DWORD)bm.bmWidth;
        rec.dwHeight = (DWORD)bm.bmHeight;
        rec.hMask = MakeMaskBitmap(rec.hBitmap, bm.bmWidth, bm.bmHeight, rec.crTransparent);
        if (rec.hMask == NULL) {
            ReleaseImages(TRUE);
            return BUTTON_MASK_FAILED;
        }
    }
    InvalidateRect(NULL, TRUE);
    return BUTTON_OK;
}

ButtonResult CImageButton::SetCursorResource(UINT nId, BOOL bRepaint) {
    if (m_hButtonCursor != NULL) {
        ::DestroyCursor(m_hButtonCursor);
        m_hButtonCursor = NULL;
    }
    if (nId == 0)
        return BUTTON_OK;
    m_hButtonCursor = (HCURSOR)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(LOWORD(nId)),
                                            IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR);
    if (bRepaint)
        InvalidateRect(NULL, TRUE);
    return m_hButtonCursor == NULL ? BUTTON_BAD_RESOURCE : BUTTON_OK;
}

ButtonResult CImageButton::SetCheckState(int nCheck, BOOL bRepaint) {
    if (m_bCheckBox) {
        m_nCheckState = nCheck != 0 ? 1 : 0;
        if (bRepaint)
            InvalidateRect(NULL, TRUE);
    }
    return BUTTON_OK;
}

ButtonResult CImageButton::SetLinkUrl(const char* pszUrl) {
    m_szLinkUrl[0] = '\0';
    if (pszUrl != NULL)
        ::lstrcpynA(m_szLinkUrl, pszUrl, sizeof m_szLinkUrl);  // a longer URL is cut, NUL kept
    return BUTTON_OK;
}

// ---- internal helpers ------------------------------------------------------------------

void CImageButton::ReleaseImages(BOOL bDestroy) {
    if (bDestroy) {
        for (BUTTON_ICON& icon : m_icons)
            if (icon.hIcon != NULL)
                ::DestroyIcon(icon.hIcon);
        for (BUTTON_BITMAP& bmp : m_bitmaps) {
            if (bmp.hBitmap != NULL)
                ::DeleteObject(bmp.hBitmap);
            if (bmp.hMask != NULL)
                ::DeleteObject(bmp.hMask);
        }
    }
    memset(m_icons, 0, sizeof m_icons);
    memset(m_bitmaps, 0, sizeof m_bitmaps);
}

void CImageButton::EndHover() {
    if (m_bFlat && m_bHover) {
        m_bHover = FALSE;
        InvalidateRect(NULL, TRUE);
    }
}

void CImageButton::EnsureToolTip() {
    if (m_tip.GetSafeHwnd() != NULL)
        return;
    m_tip.Create(this, 0);
    m_tip.Activate(FALSE);
    m_tip.SetMaxTipWidth(400);
}

HBITMAP CImageButton::MakeMaskBitmap(HBITMAP hSource, int nWidth, int nHeight, COLORREF crTransparent) {
    HBITMAP hMask = ::CreateBitmap(nWidth, nHeight, 1, 1, NULL);
    if (hMask == NULL)
        return NULL;

    HDC hdcSrc = ::CreateCompatibleDC(NULL);
    HDC hdcMask = ::CreateCompatibleDC(NULL);
    HGDIOBJ hOldSrc = ::SelectObject(hdcSrc, hSource);
    HGDIOBJ hOldMask = ::SelectObject(hdcMask, hMask);

    // Colour to mono: pixels of the background colour become 1.
    COLORREF crOldBk = ::SetBkColor(hdcSrc, crTransparent);
    ::BitBlt(hdcMask, 0, 0, nWidth, nHeight, hdcSrc, 0, 0, SRCCOPY);

    // Mono to colour: 1 -> background (black), 0 -> text (white); AND blackens the see-through pixels.
    COLORREF crOldText = ::SetTextColor(hdcSrc, RGB(255, 255, 255));
    ::SetBkColor(hdcSrc, RGB(0, 0, 0));
    ::BitBlt(hdcSrc, 0, 0, nWidth, nHeight, hdcMask, 0, 0, SRCAND);

    ::SetTextColor(hdcSrc, crOldText);
    ::SetBkColor(hdcSrc, crOldBk);
    ::SelectObject(hdcSrc, hOldSrc);
    ::SelectObject(hdcMask, hOldMask);
    ::DeleteDC(hdcSrc);
    ::DeleteDC(hdcMask);
    return hMask;
}

// ---- framework hooks -------------------------------------------------------------------

void CImageButton::PreSubclassWindow() {
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    // The four check box types; the group box, owner-draw and radio types are none.
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE)
        m_bCheckBox = TRUE;
    if (type == BS_DEFPUSHBUTTON)
        m_bDefaultButton = TRUE;
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL CImageButton::PreTranslateMessage(MSG* pMsg) {
    EnsureToolTip();
    m_tip.RelayEvent(pMsg);
    // The control turns a double click into BN_DOUBLECLICKED; the parent wants a second click.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    return CWnd::PreTranslateMessage(pMsg);
}

// ---- message handlers ------------------------------------------------------------------

BOOL CImageButton::OnSetCursor(CWnd* /*pWnd*/, UINT /*nHitTest*/, UINT /*message*/) {
    if (m_hButtonCursor != NULL) {
        ::SetCursor(m_hButtonCursor);
        return TRUE;
    }
    return (BOOL)Default();
}

void CImageButton::OnKillFocus(CWnd* /*pNewWnd*/) {
    Default();
    EndHover();
}

void CImageButton::OnMouseMove(UINT nFlags, CPoint point) {
    Default();
    ClientToScreen(&point);
    HWND hUnder = ::WindowFromPoint(point);

    if ((nFlags & MK_LBUTTON) && !m_bHover)
        return;
    if (!m_bFlat)
        return;
    if (hUnder == m_hWnd) {
        if (m_bHover)
            return;
        m_bHover = TRUE;
        InvalidateRect(NULL, TRUE);
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        ::_TrackMouseEvent(&tme);
    } else {
        EndHover();
    }
}

void CImageButton::OnSysColorChange() {
    CWnd::OnSysColorChange();
    DropParentCopy(FALSE);
    ResetColorSlots(TRUE);
}

BOOL CImageButton::OnClicked() {
    SetFocus();
    if (m_bCheckBox) {
        m_nCheckState = m_nCheckState == 0 ? 1 : 0;
        InvalidateRect(NULL, TRUE);
    } else if (m_hMenu != NULL) {
        CRect rcWindow;
        GetWindowRect(&rcWindow);
        m_bMenuShown = TRUE;
        InvalidateRect(NULL, TRUE);
        HMENU hSub = ::GetSubMenu(m_hMenu, 0);
        if (m_menuNotify.hWnd != NULL)
            ::SendMessageA(m_menuNotify.hWnd, m_menuNotify.nMsg, (WPARAM)hSub, m_menuNotify.lParam);
        const UINT nCmd = (UINT)::TrackPopupMenuEx(hSub, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                   rcWindow.left, rcWindow.bottom, m_hMenuOwner, NULL);
        m_bMenuShown = FALSE;
        InvalidateRect(NULL, TRUE);
        if (nCmd != 0)
            ::PostMessageA(m_hMenuOwner, WM_COMMAND, MAKEWPARAM(LOWORD(nCmd), 0), 0);
    } else if (m_szLinkUrl[0] != '\0') {
        SHELLEXECUTEINFOA sei = {};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = "open";
        sei.lpFile = m_szLinkUrl;
        sei.nShow = SW_SHOWMAXIMIZED;
        ::ShellExecuteExA(&sei);
    }
    return FALSE;  // the parent's own BN_CLICKED handler runs as well
}

void CImageButton::OnActivate(UINT nState, CWnd* /*pWndOther*/, BOOL /*bMinimized*/) {
    Default();
    if (nState == WA_INACTIVE)
        EndHover();
}

void CImageButton::OnEnable(BOOL bEnable) {
    Default();
    if (bEnable)
        return;
    CWnd* pParent = GetParent();
    if (pParent != NULL) {
        // With no other control to go to, the dialog manager answers with this button itself,
        // which can no longer take the focus.
        CWnd* pNext = pParent->GetNextDlgTabItem(this, FALSE);
        if (pNext != NULL && pNext->GetSafeHwnd() != m_hWnd)
            pNext->SetFocus();
        else
            pParent->SetFocus();
    }
    EndHover();
}

void CImageButton::OnCancelMode() {
    Default();
    EndHover();
}

UINT CImageButton::OnGetDlgCode() {
    UINT nCode = (UINT)Default();
    nCode |= m_bDefaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    return nCode;
}

LRESULT CImageButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
    const UINT nType = (UINT)(wParam & BS_TYPEMASK);
    if (nType == BS_DEFPUSHBUTTON)
        m_bDefaultButton = TRUE;
    else if (nType == BS_PUSHBUTTON)
        m_bDefaultButton = FALSE;
    return DefWindowProc(BM_SETSTYLE, (wParam & ~(WPARAM)0x4) | BS_OWNERDRAW, lParam);
}

LRESULT CImageButton::OnMouseLeave(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    EndHover();
    return 0;
}

LRESULT CImageButton::OnSetCheck(WPARAM wParam, LPARAM /*lParam*/) {
    SetCheckState(wParam == BST_CHECKED || wParam == BST_INDETERMINATE, TRUE);
    return 0;
}

LRESULT CImageButton::OnGetCheck(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return m_nCheckState;
}
