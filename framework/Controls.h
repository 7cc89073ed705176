// Thin wrappers of the standard controls the program binds to.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    CButton() {}

    // Owner-drawn buttons: the parent's WM_DRAWITEM for this button ends up here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CStatic : public CWnd {
public:
    CStatic() {}
};

class CProgressCtrl : public CWnd {
public:
    CProgressCtrl() {}

    void SetRange(short nLower, short nUpper);
    int SetPos(int nPos); // returns the previous position
    COLORREF SetBarColor(COLORREF clrBar);
    COLORREF SetBkColor(COLORREF clrNew);
};

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() {}

    // A tooltip window owned by pParentWnd.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    void Activate(BOOL bActivate);
    int SetMaxTipWidth(int iWidth);
    void RelayEvent(LPMSG lpMsg);
};
