// CImageButton: drawing. Every draw starts from scratch: ground, frame, images, caption.
#include "controls/ImageButton.h"

namespace {

// Signed halving that truncates toward zero (7 -> 3, -5 -> -2).
inline LONG Half(LONG value) {
    return value / 2;
}

}  // namespace

void CImageButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);

    if (m_bCheckBox)
        m_bPressed = (lpDIS->itemState & ODS_SELECTED) || m_nCheckState != 0;
    else
        m_bPressed = (lpDIS->itemState & ODS_SELECTED) || (m_hMenu != NULL && m_bMenuShown);
    m_bFocused = lpDIS->itemState & ODS_FOCUS;
    m_bDisabled = lpDIS->itemState & ODS_DISABLED;

    RECT rcWork = lpDIS->rcItem;
    pDC->SetBkMode(TRANSPARENT);

    if (m_bParentBackground)
        CopyParentBackground(pDC);
    else
        DrawBackground(pDC, &rcWork);

    if (m_bBorder && (m_bPressed || m_bHover))
        DrawBorder(pDC, &rcWork);

    CString strCaption;
    GetWindowText(strCaption);
    RECT rcCaption = lpDIS->rcItem;
    const BOOL bHasCaption = !strCaption.IsEmpty();

    if (m_icons[0].hIcon != NULL)
        DrawIconImage(pDC, bHasCaption, &lpDIS->rcItem, &rcCaption, m_bPressed, m_bDisabled);

    if (m_bitmaps[0].hBitmap != NULL) {
        pDC->SetBkColor(RGB(255, 255, 255));
        DrawBitmapImage(pDC, bHasCaption, &lpDIS->rcItem, &rcCaption, m_bPressed, m_bDisabled);
    }

    if (bHasCaption)
        DrawCaption(pDC, strCaption, &lpDIS->rcItem, &rcCaption, m_bPressed, m_bDisabled);
}

ButtonResult CImageButton::DrawBackground(CDC* pDC, RECT* pRect) {
    COLORREF crBack;
    if (m_bHover || m_bPressed)
        crBack = m_crSlots[COLOR_SLOT_BACK_HOVER];
    else if (m_bFocused)
        crBack = m_crSlots[COLOR_SLOT_BACK_FOCUS];
    else
        crBack = m_crSlots[COLOR_SLOT_BACK_NORMAL];
    CBrush brush;
    brush.CreateSolidBrush(crBack);
    pDC->FillRect(pRect, &brush);
    return BUTTON_OK;
}

ButtonResult CImageButton::DrawBorder(CDC* pDC, RECT* pRect) {
    const COLORREF crLight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (m_bPressed)
        pDC->Draw3dRect(pRect, crShadow, crLight);
    else
        pDC->Draw3dRect(pRect, crLight, crShadow);
    return BUTTON_OK;
}

void CImageButton::CalcImageRect(BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption, BOOL bPressed,
                                 DWORD dwWidth, DWORD dwHeight, RECT* rcImage) {
    const LONG w = (LONG)dwWidth;
    const LONG h = (LONG)dwHeight;
    const LONG mx = m_ptImageMargin.x;
    const LONG my = m_ptImageMargin.y;
    *rcImage = *rcItem;
    BOOL bCentreVertically = FALSE;

    switch (m_nAlign) {
    case ALIGN_IMAGE_LEFT:
        if (bHasCaption) {
            rcImage->left += mx;
            rcCaption->left += mx + w;
        } else {
            rcImage->left += Half((rcImage->right - rcImage->left) - w);
        }
        bCentreVertically = TRUE;
        break;
    case ALIGN_IMAGE_ABOVE:
        rcImage->left += Half((rcImage->right - rcImage->left) - w);
        if (bHasCaption) {
            rcImage->top = my;
            rcCaption->top += h;
        } else {
            bCentreVertically = TRUE;
        }
        break;
    case ALIGN_IMAGE_RIGHT:
        if (bHasCaption) {
            CRect rcClient;
            GetClientRect(&rcClient);
            rcCaption->right -= mx + w + rcCaption->left;
            rcCaption->left = mx;
            rcImage->left = rcClient.right - w - mx;
            bCentreVertically = TRUE;
        } else {
            rcImage->left += Half((rcImage->right - rcImage->left) - w);
        }
        break;
    default:  // ALIGN_IMAGE_BEHIND: the image at the top-left corner, caption untouched
        break;
    }
    if (bCentreVertically)
        rcImage->top += Half((rcImage->bottom - rcImage->top) - h);

    if (bPressed && !m_bCheckBox)
        ::OffsetRect(rcImage, m_ptPressShift.x, m_ptPressShift.y);
}

int CImageButton::ImageRecord(BOOL bPressed, BOOL bNormalEmpty) const {
    return bPressed || (m_bHover && !m_bCheckBox) || bNormalEmpty ? 0 : 1;
}

void CImageButton::DrawIconImage(CDC* pDC, BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption,
                                 BOOL bPressed, BOOL bDisabled) {
    const BUTTON_ICON& icon = m_icons[ImageRecord(bPressed, m_icons[1].hIcon == NULL)];
    RECT rcImage;
    CalcImageRect(bHasCaption, rcItem, rcCaption, bPressed, icon.dwWidth, icon.dwHeight, &rcImage);
    ::DrawStateA(pDC->GetSafeHdc(), NULL, NULL, (LPARAM)icon.hIcon, 0, rcImage.left, rcImage.top,
                 rcImage.right - rcImage.left, rcImage.bottom - rcImage.top,
                 DST_ICON | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CImageButton::DrawBitmapImage(CDC* pDC, BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption,
                                   BOOL bPressed, BOOL bDisabled) {
    const BUTTON_BITMAP& bmp = m_bitmaps[ImageRecord(bPressed, m_bitmaps[1].hBitmap == NULL)];
    RECT rcImage;
    CalcImageRect(bHasCaption, rcItem, rcCaption, bPressed, bmp.dwWidth, bmp.dwHeight, &rcImage);
    const int w = (int)bmp.dwWidth;
    const int h = (int)bmp.dwHeight;

    CDC dcImage;
    dcImage.CreateCompatibleDC(pDC);
    HGDIOBJ hOldImage = ::SelectObject(dcImage.GetSafeHdc(), bmp.hBitmap);
    CDC dcMask;
    dcMask.CreateCompatibleDC(NULL);
    HGDIOBJ hOldMask = ::SelectObject(dcMask.GetSafeHdc(), bmp.hMask);

    if (!bDisabled || !m_bGrayDisabledBitmap) {
        pDC->BitBlt(rcImage.left, rcImage.top, w, h, &dcMask, 0, 0, SRCAND);
        pDC->BitBlt(rcImage.left, rcImage.top, w, h, &dcImage, 0, 0, SRCPAINT);
    } else {
        // The image with its see-through pixels white, then embossed by the system.
        CBitmap bmpGray;
        bmpGray.CreateCompatibleBitmap(pDC, w, h);
        {
            CDC dcGray;
            dcGray.CreateCompatibleDC(pDC);
            HGDIOBJ hOldGray = ::SelectObject(dcGray.GetSafeHdc(), bmpGray.GetSafeHandle());
            dcGray.SetBkColor(RGB(255, 255, 255));
            dcGray.SetTextColor(RGB(0, 0, 0));
            dcGray.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
            dcGray.BitBlt(0, 0, w, h, &dcMask, 0, 0, SRCAND);
            dcGray.BitBlt(0, 0, w, h, &dcImage, 0, 0, SRCPAINT);
            ::SelectObject(dcGray.GetSafeHdc(), hOldGray);
        }
        ::DrawStateA(pDC->GetSafeHdc(), NULL, NULL, (LPARAM)bmpGray.GetSafeHandle(), 0, rcImage.left,
                     rcImage.top, w, h, DST_BITMAP | DSS_DISABLED);
    }

    ::SelectObject(dcImage.GetSafeHdc(), hOldImage);
    ::SelectObject(dcMask.GetSafeHdc(), hOldMask);
}

void CImageButton::DrawCaption(CDC* pDC, const char* pszText, const RECT* /*rcItem*/, RECT* rcCaption,
                               BOOL /*bPressed*/, BOOL /*bDisabled*/) {
    if (m_bPressed && !m_bCheckBox)
        ::OffsetRect(rcCaption, m_ptPressShift.x, m_ptPressShift.y);

    const RECT rcCentre = *rcCaption;
    pDC->DrawText(pszText, -1, rcCaption, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    const LONG dx = Half((rcCentre.right - rcCentre.left) - (rcCaption->right - rcCaption->left));
    const LONG dy = Half((rcCentre.bottom - rcCentre.top) - (rcCaption->bottom - rcCaption->top));
    ::OffsetRect(rcCaption, dx, dy);

    pDC->SetBkMode(TRANSPARENT);
    if (m_bDisabled) {
        ::OffsetRect(rcCaption, 1, 1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        pDC->DrawText(pszText, -1, rcCaption, DT_WORDBREAK | DT_CENTER);
        ::OffsetRect(rcCaption, -1, -1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNSHADOW));
        pDC->DrawText(pszText, -1, rcCaption, DT_WORDBREAK | DT_CENTER);
    } else {
        const BOOL bLit = m_bHover || m_bPressed;
        pDC->SetTextColor(m_crSlots[bLit ? COLOR_SLOT_TEXT_HOVER : COLOR_SLOT_TEXT_NORMAL]);
        pDC->DrawText(pszText, -1, rcCaption, DT_WORDBREAK | DT_CENTER);
    }
}

void CImageButton::CopyParentBackground(CDC* pDC) {
    CWnd* pParent = GetParent();
    if (pParent == NULL)
        return;
    CClientDC dcParent(pParent);
    CRect rcClient;
    GetClientRect(&rcClient);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    pParent->ScreenToClient(&rcWindow);

    if (m_dcParentCopy.GetSafeHdc() == NULL) {
        m_dcParentCopy.CreateCompatibleDC(&dcParent);
        m_bmpParentCopy.CreateCompatibleBitmap(&dcParent, rcClient.Width(), rcClient.Height());
        m_pOldParentBitmap = m_dcParentCopy.SelectObject(&m_bmpParentCopy);
        m_dcParentCopy.BitBlt(0, 0, rcClient.Width(), rcClient.Height(), &dcParent, rcWindow.left,
                              rcWindow.top, SRCCOPY);
    }
    pDC->BitBlt(0, 0, rcClient.Width(), rcClient.Height(), &m_dcParentCopy, 0, 0, SRCCOPY);
}

HBRUSH CImageButton::CtlColor(CDC* /*pDC*/, UINT /*nCtlColor*/) {
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}
