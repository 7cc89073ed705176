// Owner-drawn push button showing a bitmap face and its caption, with hover look,
// pressed shift, its own cursor and an optional copy of the parent's background as ground.
#pragma once

#include "framework/framework.h"

// Where the image stands relative to the caption.
enum ButtonAlign : BYTE {
    ALIGN_IMAGE_LEFT = 0,
    ALIGN_IMAGE_ABOVE = 1,
    ALIGN_IMAGE_RIGHT = 2,
    ALIGN_IMAGE_BEHIND = 3,
};

// Offset of image and caption while pressed.
enum PressedShift : BYTE {
    PRESSED_SHIFT_DIAGONAL = 0,  // (1, 1)
    PRESSED_SHIFT_DOWN = 1,      // (0, 2)
};

// Indexes into the colour slots: a background and a text colour for each look.
enum ButtonColor : BYTE {
    COLOR_SLOT_BACK_HOVER = 0, COLOR_SLOT_TEXT_HOVER = 1,
    COLOR_SLOT_BACK_NORMAL = 2, COLOR_SLOT_TEXT_NORMAL = 3,
    COLOR_SLOT_BACK_FOCUS = 4, COLOR_SLOT_TEXT_FOCUS = 5,
    COLOR_SLOT_COUNT = 6,
};

// Results of the setters.
enum ButtonResult : DWORD {
    BUTTON_OK = 0,
    BUTTON_BAD_RESOURCE = 1,
    BUTTON_MASK_FAILED = 2,
    BUTTON_BAD_SLOT = 3,
    BUTTON_BAD_ALIGN = 4,
    BUTTON_BAD_PRESSED_STYLE = 6,
};

struct BUTTON_ICON {
    HICON hIcon;
    DWORD dwWidth;
    DWORD dwHeight;
};

struct BUTTON_BITMAP {
    HBITMAP hBitmap;
    DWORD dwWidth;
    DWORD dwHeight;
    HBITMAP hMask;          // 1 where the image is see-through
    COLORREF crTransparent;
};

struct BUTTON_MENU_NOTIFY {
    HWND hWnd;
    UINT nMsg;
    LPARAM lParam;
};

class CImageButton : public CButton {
public:
    CImageButton();
    virtual ~CImageButton();

    ButtonResult SetBorderVisible(BOOL bBorder, BOOL bRepaint);
    ButtonResult SetImageAlign(BYTE nAlign, BOOL bRepaint);
    ButtonResult SetPressedShift(BYTE nStyle, BOOL bRepaint);
    ButtonResult SetColorSlot(BYTE nSlot, COLORREF crColor, BOOL bRepaint);
    ButtonResult ResetColorSlots(BOOL bRepaint);
    void SetParentBackgroundMode(BOOL bRepaint);
    ButtonResult LoadBitmapPair(UINT nIdHot, COLORREF crHot, UINT nIdNormal, COLORREF crNormal);
    // Takes ownership of both bitmaps (and blackens their transparent pixels).
    ButtonResult SetBitmapPair(HBITMAP hHot, COLORREF crHot, HBITMAP hNormal, COLORREF crNormal);
    ButtonResult SetCursorResource(UINT nId, BOOL bRepaint);
    ButtonResult SetCheckState(int nCheck, BOOL bRepaint);
    ButtonResult SetLinkUrl(const char* pszUrl);

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDIS);
    virtual BOOL PreTranslateMessage(MSG* pMsg);

protected:
    virtual void PreSubclassWindow();

    virtual ButtonResult DrawBackground(CDC* pDC, RECT* pRect);
    virtual ButtonResult DrawBorder(CDC* pDC, RECT* pRect);
    virtual void DrawIconImage(CDC* pDC, BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption,
                               BOOL bPressed, BOOL bDisabled);
    virtual void DrawBitmapImage(CDC* pDC, BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption,
                                 BOOL bPressed, BOOL bDisabled);
    virtual void DrawCaption(CDC* pDC, const char* pszText, const RECT* rcItem, RECT* rcCaption,
                             BOOL bPressed, BOOL bDisabled);

    // Which record of an image pair shows: 0 (hot) when pressed, hovered (not for a checkbox) or
    // when the normal record 1 is empty; 1 otherwise.
    int ImageRecord(BOOL bPressed, BOOL bNormalEmpty) const;
    void CalcImageRect(BOOL bHasCaption, const RECT* rcItem, RECT* rcCaption, BOOL bPressed,
                       DWORD dwWidth, DWORD dwHeight, RECT* rcImage);
    void CopyParentBackground(CDC* pDC);

    void ReleaseImages(BOOL bDestroy);
    void EndHover();
    void EnsureToolTip();
    void DropParentCopy(BOOL bSelectBack);
    static HBITMAP MakeMaskBitmap(HBITMAP hSource, int nWidth, int nHeight, COLORREF crTransparent);

    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnSysColorChange();
    afx_msg BOOL OnClicked();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnCancelMode();
    afx_msg UINT OnGetDlgCode();
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetCheck(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    BOOL m_bGrayDisabledBitmap;
    POINT m_ptImageMargin;
    POINT m_ptPressShift;
    BOOL m_bFlat;
    BOOL m_bHover;
    BOOL m_bParentBackground;
    BOOL m_bPressed;
    BOOL m_bFocused;
    BOOL m_bDisabled;
    BOOL m_bDefaultButton;
    BOOL m_bCheckBox;
    BYTE m_nAlign;
    BOOL m_bBorder;
    COLORREF m_crSlots[COLOR_SLOT_COUNT];
    HWND m_hMenuOwner;
    BOOL m_bMenuShown;
    HMENU m_hMenu;
    HCURSOR m_hButtonCursor;
    CToolTipCtrl m_tip;
    CDC m_dcParentCopy;
    CBitmap m_bmpParentCopy;
    CGdiObject* m_pOldParentBitmap;
    int m_nCheckState;
    char m_szLinkUrl[260];
    BUTTON_ICON m_icons[2];
    BUTTON_BITMAP m_bitmaps[2];
    BUTTON_MENU_NOTIFY m_menuNotify;
};
