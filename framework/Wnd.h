// CWnd: a C++ object bound to a window handle. Every window the layer creates or subclasses runs
// through one window procedure: it finds the object for the handle and calls WindowProc ->
// OnWndMsg (the message map chain) -> DefWindowProc (the window's original procedure).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/String.h"
#include "framework/Gdi.h"

class CFile;
class CControlSite;

class CWnd : public CCmdTarget {
public:
    CWnd();
    virtual ~CWnd(); // destroys a window it still holds

    HWND m_hWnd;

    // --- handles and objects
    // Callable through a null pointer (gives NULL), as in GetParent()->GetSafeHwnd().
    HWND GetSafeHwnd() const { return this ? m_hWnd : NULL; }
    // The object bound to the window, or a temporary one that lives until the thread's message loop
    // is next idle. NULL for a NULL handle.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Binds the handle to this object without taking its messages.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Binds the handle and routes its messages through this object (PreSubclassWindow first).
    BOOL SubclassWindow(HWND hWnd);

    // --- creation and destruction
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = NULL);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = NULL);
    virtual BOOL DestroyWindow();

    // ActiveX hosting (ControlContainer.cpp).
    BOOL CreateControl(REFCLSID clsid, LPCTSTR pszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CFile* pPersist = NULL, BOOL bStorage = FALSE,
                       BSTR bstrLicKey = NULL);
    LPUNKNOWN GetControlUnknown();
    CControlSite* m_pCtrlSite; // the hosted control's site, when this window holds one

    // --- the dispatch path
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's default processing of the message being handled now.
    LRESULT Default();
    virtual void PreSubclassWindow();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A parent's message about this control (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*): TRUE when
    // this control handled it and the parent must not.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // --- default handlers (the window's default processing)
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    afx_msg void OnSysColorChange();
    // Reflects the request to the control first (its ON_WM_CTLCOLOR_REFLECT handler); its brush
    // wins when it gives one, otherwise the window's default answer.
    afx_msg virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    // --- style
    DWORD GetStyle() const;
    // FALSE when nothing changed; nFlags != 0: SetWindowPos with these flags to apply the change.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    static BOOL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);

    // --- text
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;

    // --- painting
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    BOOL RedrawWindow(LPCRECT lpRectUpdate = NULL, HRGN hrgnUpdate = NULL,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void UpdateWindow();

    // --- geometry and visibility
    BOOL ShowWindow(int nCmdShow);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    // Centres on the owner (or pAlternateOwner), or on the work area when there is none.
    void CenterWindow(CWnd* pAlternateOwner = NULL);

    // --- state
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    CWnd* SetFocus();

    // --- relations
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int nID) const;
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;

    // --- messages and timers
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse,
                      void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD) = NULL);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The window procedure of every window bound by this layer.
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Creation hook: binds the next window this thread creates to pWnd (used by CreateEx and dialogs).
    static void HookWindowCreate(CWnd* pWnd);
    static BOOL UnhookWindowCreate();

protected:
    WNDPROC m_pfnSuper; // the window's own procedure, which DefWindowProc calls

    // Control-site hook: releases the hosted control when the window goes (ControlContainer.cpp).
    void DestroyControlSite();

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const override;

private:
    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnFinalNcDestroy();
};

// Calls pWnd's WindowProc with the message recorded as the one being handled.
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Offers a message taken from the queue to the PreTranslateMessage of its window's object, then of
// the objects of the windows that contain it; TRUE when one of them consumed it.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Frees the temporary window objects of this thread (the message loops call it when idle); does
// nothing while a window procedure of this thread runs, as in a dialog run from a handler.
void AfxDeleteTempMap();
// Loads the common controls (progress bars, tooltips) once, before dialogs that hold them are made.
void AfxInitCommonControls();

// Device contexts of a window, released on destruction.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};
