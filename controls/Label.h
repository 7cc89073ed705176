// Static text with its own font, its own colour and a transparent text background, so that
// it can stand on a picture that the parent paints under it.
#pragma once

#include "framework/framework.h"

enum LabelFlash {
    FLASH_NONE = 0,
    FLASH_TEXT = 1,
    FLASH_BACKGROUND = 2,
};

class CLabel : public CStatic {
public:
    CLabel();
    virtual ~CLabel();

    CLabel& SetCaption(const CString& strText);
    CLabel& SetForeColor(COLORREF crText);
    CLabel& SetBold(BOOL bBold);

protected:
    void RebuildFont();

    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

    COLORREF m_crTextColor;
    HBRUSH m_hbrBackground;
    HBRUSH m_hbrFlash;
    LOGFONTA m_lfText;
    CFont m_fontText;
    CString m_strSavedText;
    int m_bFlashOn;
    int m_nFlashType;
    HCURSOR m_hLinkCursor;
};
