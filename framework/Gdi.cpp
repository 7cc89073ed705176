#include "framework/Gdi.h"

#include <mutex>
#include <unordered_map>

namespace {

// One non-owning wrapper per handle value and class. The map and its wrappers are never destroyed:
// a wrapper handed out may be used until the process ends, and destroying a wrapper would not free
// its handle anyway.
template <class Wrapper, class Handle>
Wrapper* SharedWrapper(Handle handle) {
    if (!handle) return nullptr;
    static std::mutex lock;
    static auto* wrappers = new std::unordered_map<Handle, Wrapper*>();
    std::lock_guard<std::mutex> guard(lock);
    Wrapper*& wrapper = (*wrappers)[handle];
    if (!wrapper) wrapper = new Wrapper();
    return wrapper;
}

template <class Wrapper, class Handle>
Wrapper* GdiWrapper(Handle handle) {
    Wrapper* wrapper = SharedWrapper<Wrapper>(handle);
    if (wrapper) wrapper->m_hObject = handle;  // also after someone called DeleteObject through it
    return wrapper;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// GDI objects

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) { return GdiWrapper<CGdiObject>(hObject); }
CFont* CFont::FromHandle(HFONT hFont) { return GdiWrapper<CFont>(hFont); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return GdiWrapper<CBitmap>(hBitmap); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (!hObject) return FALSE;
    if (m_hObject && m_hObject != hObject) ::DeleteObject(m_hObject);
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ hObject = m_hObject;
    m_hObject = NULL;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    HDC hDC = pDC ? pDC->m_hDC : ::GetDC(NULL);
    BOOL ok = Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
    if (!pDC) ::ReleaseDC(NULL, hDC);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// CDC

CDC::~CDC() {
    if (m_hDC && m_bOwnsDC) ::DeleteDC(m_hDC);
}

CDC* CDC::FromHandle(HDC hDC) {
    CDC* wrapper = SharedWrapper<CDC>(hDC);
    if (wrapper) wrapper->m_hDC = hDC;
    return wrapper;
}

BOOL CDC::Attach(HDC hDC) {
    if (!hDC) return FALSE;
    if (m_hDC && m_bOwnsDC && m_hDC != hDC) ::DeleteDC(m_hDC);
    m_hDC = hDC;
    m_bOwnsDC = FALSE;
    return TRUE;
}

HDC CDC::Detach() {
    HDC hDC = m_hDC;
    m_hDC = NULL;
    m_bOwnsDC = FALSE;
    return hDC;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    HDC hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : NULL);
    if (!Attach(hDC)) return FALSE;
    m_bOwnsDC = TRUE;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CFont* CDC::SelectObject(CFont* pFont) {
    return CFont::FromHandle((HFONT)::SelectObject(m_hDC, pFont ? pFont->m_hObject : NULL));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return CBitmap::FromHandle((HBITMAP)::SelectObject(m_hDC, pBitmap ? pBitmap->m_hObject : NULL));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, pObject ? pObject->m_hObject : NULL));
}

void CDC::FillSolidRect(LPCRECT pRect, COLORREF clr) {
    COLORREF old = ::SetBkColor(m_hDC, clr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, pRect, NULL, 0, NULL);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    RECT rc = {x, y, x + cx, y + cy};
    FillSolidRect(&rc, clr);
}

void CDC::Draw3dRect(LPCRECT pRect, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    Draw3dRect(pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top, clrTopLeft,
               clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}
