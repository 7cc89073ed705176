// GDI object and device-context wrappers.
// Ownership: an object that created or attached a GDI handle deletes it in its destructor.
// FromHandle returns a wrapper that does not own the handle; it stays valid for the life of the
// process (one wrapper per handle value and class, reused), so it may be kept, e.g. to select an old
// object back later. SelectObject returns such a wrapper of the previously selected object.
#pragma once

#include <windows.h>

#include "framework/Object.h"
#include "framework/Geometry.h"
#include "framework/String.h"

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
    BOOL CreateStockObject(int nIndex);

    int GetObject(int nCount, LPVOID pObject) const { return ::GetObjectA(m_hObject, nCount, pObject); }
    UINT GetObjectType() const { return m_hObject ? (UINT)::GetObjectType(m_hObject) : 0; }
    BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }

    operator HGDIOBJ() const { return m_hObject; }
    // Callable through a null pointer (gives NULL), as in pFont->GetSafeHandle().
    HGDIOBJ GetSafeHandle() const { return this ? m_hObject : NULL; }

    HGDIOBJ m_hObject;
};

class CPen : public CGdiObject {
public:
    CPen() {}
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    static CPen* FromHandle(HPEN hPen);
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) { return Attach(::CreatePen(nPenStyle, nWidth, crColor)); }
    BOOL CreatePenIndirect(LOGPEN* pLogPen) { return Attach(::CreatePenIndirect(pLogPen)); }
    int GetLogPen(LOGPEN* pLogPen) const { return GetObject(sizeof(LOGPEN), pLogPen); }
    operator HPEN() const { return (HPEN)m_hObject; }
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    CBrush(int nIndex, COLORREF crColor) { CreateHatchBrush(nIndex, crColor); }
    static CBrush* FromHandle(HBRUSH hBrush);
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    BOOL CreateHatchBrush(int nIndex, COLORREF crColor) { return Attach(::CreateHatchBrush(nIndex, crColor)); }
    BOOL CreateBrushIndirect(const LOGBRUSH* pLogBrush) { return Attach(::CreateBrushIndirect(pLogBrush)); }
    BOOL CreatePatternBrush(class CBitmap* pBitmap);
    BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
    int GetLogBrush(LOGBRUSH* pLogBrush) const { return GetObject(sizeof(LOGBRUSH), pLogBrush); }
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
};

class CFont : public CGdiObject {
public:
    CFont() {}
    static CFont* FromHandle(HFONT hFont);
    BOOL CreateFontIndirect(const LOGFONTA* pLogFont) { return Attach(::CreateFontIndirectA(pLogFont)); }
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCSTR pszFacename);
    // Height in tenths of a point, converted with the DC's vertical resolution (the screen's by default).
    BOOL CreatePointFont(int nPointSize, LPCSTR pszFaceName, CDC* pDC = NULL);
    int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }
    operator HFONT() const { return (HFONT)m_hObject; }
};

class CBitmap : public CGdiObject {
public:
    CBitmap() {}
    static CBitmap* FromHandle(HBITMAP hBitmap);
    // From the program's resources (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCSTR pszResourceName);
    BOOL LoadOEMBitmap(UINT nIDBitmap) { return Attach(::LoadBitmapA(NULL, MAKEINTRESOURCEA(nIDBitmap))); }
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* pBits) {
        return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, pBits));
    }
    BOOL CreateBitmapIndirect(LPBITMAP pBitmap) { return Attach(::CreateBitmapIndirect(pBitmap)); }
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    BOOL CreateDiscardableBitmap(CDC* pDC, int nWidth, int nHeight) { return CreateCompatibleBitmap(pDC, nWidth, nHeight); }
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
    DWORD GetBitmapBits(DWORD dwCount, LPVOID pBits) const { return ::GetBitmapBits((HBITMAP)m_hObject, dwCount, pBits); }
    DWORD SetBitmapBits(DWORD dwCount, const void* pBits) { return ::SetBitmapBits((HBITMAP)m_hObject, dwCount, pBits); }
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
};

class CRgn : public CGdiObject {
public:
    CRgn() {}
    static CRgn* FromHandle(HRGN hRgn);
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
    BOOL CreateRectRgnIndirect(LPCRECT pRect) { return Attach(::CreateRectRgnIndirect(pRect)); }
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateEllipticRgn(x1, y1, x2, y2)); }
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
        return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
    }
    BOOL CreatePolygonRgn(const POINT* pPoints, int nCount, int nMode) { return Attach(::CreatePolygonRgn(pPoints, nCount, nMode)); }
    int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
        return ::CombineRgn((HRGN)m_hObject, (HRGN)pRgn1->m_hObject, pRgn2 ? (HRGN)pRgn2->m_hObject : NULL, nCombineMode);
    }
    int CopyRgn(const CRgn* pRgnSrc) { return ::CombineRgn((HRGN)m_hObject, (HRGN)pRgnSrc->m_hObject, NULL, RGN_COPY); }
    void SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn((HRGN)m_hObject, x1, y1, x2, y2); }
    void SetRectRgn(LPCRECT pRect) { SetRectRgn(pRect->left, pRect->top, pRect->right, pRect->bottom); }
    int GetRgnBox(LPRECT pRect) const { return ::GetRgnBox((HRGN)m_hObject, pRect); }
    int OffsetRgn(int x, int y) { return ::OffsetRgn((HRGN)m_hObject, x, y); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion((HRGN)m_hObject, x, y); }
    BOOL PtInRegion(POINT pt) const { return PtInRegion(pt.x, pt.y); }
    BOOL EqualRgn(const CRgn* pRgn) const { return ::EqualRgn((HRGN)m_hObject, (HRGN)pRgn->m_hObject); }
    operator HRGN() const { return (HRGN)m_hObject; }
};

// A device context. It deletes its DC on destruction only when it made it (CreateCompatibleDC,
// CreateDC); a DC given by Attach or FromHandle belongs to someone else.
class CDC : public CObject {
public:
    CDC() : m_hDC(NULL), m_bOwnsDC(FALSE) {}
    ~CDC() override;

    static CDC* FromHandle(HDC hDC);

    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL CreateDC(LPCSTR pszDriverName, LPCSTR pszDeviceName, LPCSTR pszOutput, const DEVMODEA* pInitData);
    BOOL DeleteDC();

    // Callable through a null pointer (gives NULL).
    HDC GetSafeHdc() const { return this ? m_hDC : NULL; }
    operator HDC() const { return m_hDC; }

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

    CGdiObject* SelectStockObject(int nIndex);
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CGdiObject* SelectObject(CGdiObject* pObject);
    int SelectObject(CRgn* pRgn);
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }

    CPen* GetCurrentPen() const { return CPen::FromHandle((HPEN)::GetCurrentObject(m_hDC, OBJ_PEN)); }
    CBrush* GetCurrentBrush() const { return CBrush::FromHandle((HBRUSH)::GetCurrentObject(m_hDC, OBJ_BRUSH)); }
    CFont* GetCurrentFont() const { return CFont::FromHandle((HFONT)::GetCurrentObject(m_hDC, OBJ_FONT)); }
    CBitmap* GetCurrentBitmap() const { return CBitmap::FromHandle((HBITMAP)::GetCurrentObject(m_hDC, OBJ_BITMAP)); }

    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
    int SetROP2(int nDrawMode) { return ::SetROP2(m_hDC, nDrawMode); }
    int SetStretchBltMode(int nStretchMode) { return ::SetStretchBltMode(m_hDC, nStretchMode); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : NULL, xSrc, ySrc, dwRop);
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop) {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : NULL, xSrc, ySrc, nSrcWidth,
                            nSrcHeight, dwRop);
    }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) { return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop); }

    void FillRect(LPCRECT pRect, CBrush* pBrush) { ::FillRect(m_hDC, pRect, pBrush ? (HBRUSH)pBrush->m_hObject : NULL); }
    void FillSolidRect(LPCRECT pRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FrameRect(LPCRECT pRect, CBrush* pBrush) { ::FrameRect(m_hDC, pRect, pBrush ? (HBRUSH)pBrush->m_hObject : NULL); }
    void InvertRect(LPCRECT pRect) { ::InvertRect(m_hDC, pRect); }
    // One-pixel frame just inside the rectangle: top and left in the first colour, right and bottom in the second.
    void Draw3dRect(LPCRECT pRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void DrawFocusRect(LPCRECT pRect) { ::DrawFocusRect(m_hDC, pRect); }
    BOOL DrawEdge(LPRECT pRect, UINT nEdge, UINT nFlags) { return ::DrawEdge(m_hDC, pRect, nEdge, nFlags); }
    BOOL DrawFrameControl(LPRECT pRect, UINT nType, UINT nState) { return ::DrawFrameControl(m_hDC, pRect, nType, nState); }

    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Rectangle(LPCRECT pRect) { return Rectangle(pRect->left, pRect->top, pRect->right, pRect->bottom); }
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) { return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3); }
    BOOL Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
    BOOL Ellipse(LPCRECT pRect) { return Ellipse(pRect->left, pRect->top, pRect->right, pRect->bottom); }
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT pt) { return LineTo(pt.x, pt.y); }
    BOOL Polygon(const POINT* pPoints, int nCount) { return ::Polygon(m_hDC, pPoints, nCount); }

    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT pt) const { return GetPixel(pt.x, pt.y); }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
    COLORREF SetPixel(POINT pt, COLORREF crColor) { return SetPixel(pt.x, pt.y, crColor); }

    int DrawText(LPCSTR pszString, int nCount, LPRECT pRect, UINT nFormat) {
        return ::DrawTextA(m_hDC, pszString, nCount, pRect, nFormat);
    }
    int DrawText(const CString& str, LPRECT pRect, UINT nFormat) {
        return DrawText((LPCSTR)str, str.GetLength(), pRect, nFormat);
    }
    BOOL TextOut(int x, int y, LPCSTR pszString, int nCount) { return ::TextOutA(m_hDC, x, y, pszString, nCount); }
    BOOL TextOut(int x, int y, const CString& str) { return TextOut(x, y, (LPCSTR)str, str.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT pRect, LPCSTR pszString, UINT nCount, LPINT pDxWidths) {
        return ::ExtTextOutA(m_hDC, x, y, nOptions, pRect, pszString, nCount, pDxWidths);
    }
    CSize GetTextExtent(LPCSTR pszString, int nCount) const;
    CSize GetTextExtent(const CString& str) const { return GetTextExtent((LPCSTR)str, str.GetLength()); }
    BOOL GetTextMetrics(LPTEXTMETRICA pMetrics) const { return ::GetTextMetricsA(m_hDC, pMetrics); }

    // The DST_BITMAP / DST_ICON / DST_TEXT kind is added to nFlags here.
    BOOL DrawState(CPoint pt, CSize size, HBITMAP hBitmap, UINT nFlags, HBRUSH hBrush = NULL);
    BOOL DrawState(CPoint pt, CSize size, CBitmap* pBitmap, UINT nFlags, CBrush* pBrush = NULL);
    BOOL DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush = NULL);
    BOOL DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, CBrush* pBrush);
    BOOL DrawState(CPoint pt, CSize size, LPCSTR pszText, UINT nFlags, BOOL bPrefixText = TRUE, int nTextLen = 0,
                   HBRUSH hBrush = NULL);
    BOOL DrawState(CPoint pt, CSize size, DRAWSTATEPROC pfnDrawProc, LPARAM lData, UINT nFlags, HBRUSH hBrush = NULL);
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    BOOL DrawIcon(POINT pt, HICON hIcon) { return DrawIcon(pt.x, pt.y, hIcon); }

    int GetClipBox(LPRECT pRect) const { return ::GetClipBox(m_hDC, pRect); }
    int IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
    int IntersectClipRect(LPCRECT pRect) { return IntersectClipRect(pRect->left, pRect->top, pRect->right, pRect->bottom); }
    int ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
    int ExcludeClipRect(LPCRECT pRect) { return ExcludeClipRect(pRect->left, pRect->top, pRect->right, pRect->bottom); }
    int SelectClipRgn(CRgn* pRgn) { return ::SelectClipRgn(m_hDC, pRgn ? (HRGN)pRgn->m_hObject : NULL); }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetWindowOrg(int x, int y);

    HDC m_hDC;

protected:
    BOOL m_bOwnsDC;
};
