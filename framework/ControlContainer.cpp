// A minimal OLE control container: the CWnd becomes a plain host window and the control is activated
// in place inside it, filling its client area. The host's site answers the control's questions about
// its window, its rectangle and its frame; everything else a container may offer (menus, toolbars,
// ambient properties, persistence) is declined.
#include "framework/ControlContainer.h"

#include <ole2.h>
#include <ocidl.h>

#include "framework/Wnd.h"

namespace {

bool g_bContainerEnabled = false;

const char kHostClass[] = "FwControlHost";

// OLE on the thread that hosts controls, once; kept until the thread ends.
bool EnsureOleOnThread() {
    static thread_local HRESULT hrInit = OleInitialize(NULL);
    return SUCCEEDED(hrInit);
}

LRESULT CALLBACK HostWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

LPCSTR HostWndClass() {
    static bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostWndProc;
        wc.cbWndExtra = sizeof(LONG_PTR); // the site while the control is alive
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.lpszClassName = kHostClass;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered ? kHostClass : NULL;
}

// Common IUnknown plumbing for the two small COM objects below.
template <class Outer>
ULONG AddRefOf(Outer* p) { return (ULONG)InterlockedIncrement(&p->m_nRefs); }
template <class Outer>
ULONG ReleaseOf(Outer* p) {
    LONG refs = InterlockedDecrement(&p->m_nRefs);
    if (refs == 0)
        delete p;
    return (ULONG)refs;
}

// The in-place frame: the top-level window the control lives in. It offers no menus, no border space
// and no status line.
class CInPlaceFrame : public IOleInPlaceFrame {
public:
    explicit CInPlaceFrame(HWND hWndHost) : m_nRefs(1), m_hWndHost(hWndHost) {}
    virtual ~CInPlaceFrame() {}
    LONG m_nRefs;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
            riid == IID_IOleInPlaceFrame) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefOf(this); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseOf(this); }

    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd)
            return E_POINTER;
        *phwnd = GetAncestor(m_hWndHost, GA_ROOT);
        return *phwnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND m_hWndHost;
};

} // namespace

// The client site and in-place site of one hosted control. The CWnd holds one reference; the control
// holds others while it is alive. Close() lets go of the control; it is safe to call more than once.
class CControlSite : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit CControlSite(HWND hWndHost)
        : m_nRefs(1), m_hWndHost(hWndHost), m_pObject(NULL), m_pInPlace(NULL), m_bInPlaceActive(FALSE) {}
    virtual ~CControlSite() {}
    LONG m_nRefs;

    // Creates the control and activates it in the host's client area.
    HRESULT CreateAndActivate(REFCLSID clsid) {
        HRESULT hr = CoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                                      (void**)&m_pObject);
        if (FAILED(hr) || !m_pObject) {
            m_pObject = NULL;
            return FAILED(hr) ? hr : E_NOINTERFACE;
        }
        hr = m_pObject->SetClientSite(this);
        if (FAILED(hr))
            return hr;
        IPersistStreamInit* pInit = NULL;
        if (SUCCEEDED(m_pObject->QueryInterface(IID_IPersistStreamInit, (void**)&pInit)) && pInit) {
            pInit->InitNew();
            pInit->Release();
        }
        RECT rect;
        ::GetClientRect(m_hWndHost, &rect);
        return m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, this, 0, m_hWndHost, &rect);
    }

    void Close() {
        if (!m_pObject)
            return;
        IOleObject* pObject = m_pObject;
        m_pObject = NULL;
        if (m_pInPlace) {
            if (m_bInPlaceActive)
                m_pInPlace->InPlaceDeactivate();
            m_pInPlace->Release();
            m_pInPlace = NULL;
        }
        pObject->Close(OLECLOSE_NOSAVE);
        pObject->SetClientSite(NULL);
        pObject->Release();
    }

    void Resize() {
        if (m_pInPlace) {
            RECT rect;
            ::GetClientRect(m_hWndHost, &rect);
            m_pInPlace->SetObjectRects(&rect, &rect);
        }
    }

    IUnknown* GetUnknown() const { return m_pObject; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefOf(this); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseOf(this); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
        if (ppmk)
            *ppmk = NULL;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override {
        if (ppContainer)
            *ppContainer = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd)
            return E_POINTER;
        *phwnd = m_hWndHost;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        m_bInPlaceActive = TRUE;
        if (!m_pInPlace && m_pObject)
            m_pObject->QueryInterface(IID_IOleInPlaceObject, (void**)&m_pInPlace);
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
        if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo)
            return E_POINTER;
        *ppFrame = new CInPlaceFrame(m_hWndHost);
        *ppDoc = NULL;
        ::GetClientRect(m_hWndHost, lprcPosRect);
        *lprcClipRect = *lprcPosRect;
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = GetAncestor(m_hWndHost, GA_ROOT);
        lpFrameInfo->haccel = NULL;
        lpFrameInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        m_bInPlaceActive = FALSE;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override {
        if (m_pInPlace && lprcPosRect)
            m_pInPlace->SetObjectRects(lprcPosRect, lprcPosRect);
        return S_OK;
    }

private:
    HWND m_hWndHost;
    IOleObject* m_pObject;
    IOleInPlaceObject* m_pInPlace;
    BOOL m_bInPlaceActive;
};

namespace {

CControlSite* SiteOf(HWND hWnd) { return reinterpret_cast<CControlSite*>(GetWindowLongPtrA(hWnd, 0)); }

LRESULT CALLBACK HostWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        // The control's own windows are still there now; by WM_NCDESTROY they are gone.
        if (CControlSite* pSite = SiteOf(hWnd)) {
            SetWindowLongPtrA(hWnd, 0, 0);
            pSite->Close();
        }
        break;
    case WM_SIZE:
        if (CControlSite* pSite = SiteOf(hWnd))
            pSite->Resize();
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace

void AfxEnableControlContainer(COccManager* /*pOccManager*/) { g_bContainerEnabled = true; }

BOOL CWnd::CreateControl(REFCLSID clsid, LPCTSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, CFile* /*pPersist*/, BOOL /*bStorage*/, BSTR /*bstrLicKey*/) {
    if (!g_bContainerEnabled || m_hWnd != NULL || !EnsureOleOnThread())
        return FALSE;
    LPCSTR hostClass = HostWndClass();
    if (!hostClass)
        return FALSE;
    // The host appears only once the control stands in it.
    if (!CreateEx(0, hostClass, pszWindowName, (dwStyle & ~WS_VISIBLE) | WS_CHILD | WS_CLIPCHILDREN, rect,
                  pParentWnd, nID))
        return FALSE;

    CControlSite* pSite = new CControlSite(m_hWnd);
    SetWindowLongPtrA(m_hWnd, 0, (LONG_PTR)pSite);
    if (FAILED(pSite->CreateAndActivate(clsid))) {
        SetWindowLongPtrA(m_hWnd, 0, 0);
        pSite->Close();
        pSite->Release();
        DestroyWindow();
        return FALSE;
    }
    m_pCtrlSite = pSite;
    if (dwStyle & WS_VISIBLE)
        ::ShowWindow(m_hWnd, SW_SHOWNA);
    return TRUE;
}

LPUNKNOWN CWnd::GetControlUnknown() { return m_pCtrlSite ? m_pCtrlSite->GetUnknown() : NULL; }

void CWnd::DestroyControlSite() {
    CControlSite* pSite = m_pCtrlSite;
    m_pCtrlSite = NULL;
    if (!pSite)
        return;
    pSite->Close();
    pSite->Release();
}
