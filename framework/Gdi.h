// GDI object and device-context wrappers.
// Ownership: an object that created or attached a GDI handle deletes it in its destructor.
// FromHandle returns a wrapper that does not own the handle; it stays valid for the life of the
// process (one wrapper per handle value and class, reused), so it may be kept, e.g. to select an old
// object back later. SelectObject returns such a wrapper of the previously selected object.
#pragma once

#include <windows.h>

#include "framework/Object.h"

class CDC;

class CGdiObject : public CObject {
public:
    CGdiObject() : m_hObject(NULL) {}
    ~CGdiObject() override;

    static CGdiObject* FromHandle(HGDIOBJ hObject);

    // Takes ownership of hObject; a handle held before is deleted first.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();

    // Callable through a null pointer (gives NULL), as in pFont->GetSafeHandle().
    HGDIOBJ GetSafeHandle() const { return this ? m_hObject : NULL; }

    HGDIOBJ m_hObject;
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
};

class CFont : public CGdiObject {
public:
    CFont() {}
    static CFont* FromHandle(HFONT hFont);
};

class CBitmap : public CGdiObject {
public:
    CBitmap() {}
    static CBitmap* FromHandle(HBITMAP hBitmap);
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
};

// A device context. It deletes its DC on destruction only when it made it (CreateCompatibleDC);
// a DC given by Attach or FromHandle belongs to someone else.
class CDC : public CObject {
public:
    CDC() : m_hDC(NULL), m_bOwnsDC(FALSE) {}
    ~CDC() override;

    static CDC* FromHandle(HDC hDC);

    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // Callable through a null pointer (gives NULL).
    HDC GetSafeHdc() const { return this ? m_hDC : NULL; }

    CFont* SelectObject(CFont* pFont);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CGdiObject* SelectObject(CGdiObject* pObject);
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }

    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : NULL, xSrc, ySrc, dwRop);
    }

    void FillRect(LPCRECT pRect, CBrush* pBrush) { ::FillRect(m_hDC, pRect, pBrush ? (HBRUSH)pBrush->m_hObject : NULL); }
    void FillSolidRect(LPCRECT pRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    // One-pixel frame just inside the rectangle: top and left in the first colour, right and bottom in the second.
    void Draw3dRect(LPCRECT pRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);

    int DrawText(LPCSTR pszString, int nCount, LPRECT pRect, UINT nFormat) {
        return ::DrawTextA(m_hDC, pszString, nCount, pRect, nFormat);
    }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    HDC m_hDC;

protected:
    BOOL m_bOwnsDC;
};
