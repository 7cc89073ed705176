#include "framework/Wnd.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <mutex>

#include "framework/App.h"
#include "framework/File.h"
#include "framework/MessageBox.h"

CWinApp* AfxGetAppIfAny(); // App.cpp: the program's application object, never a stand-in

namespace {

// HWND -> bound object, for the whole process. The worker thread looks windows up too (FromHandle).
struct HandleMap {
    std::mutex lock;
    std::map<HWND, CWnd*> map;
};
HandleMap& Permanent() {
    static HandleMap* p = new HandleMap; // never destroyed: windows may outlive static destruction
    return *p;
}

// Wrappers of windows nobody bound, per thread, freed when the thread's loop is idle.
std::map<HWND, std::unique_ptr<CWnd>>& Temporary() {
    static thread_local std::map<HWND, std::unique_ptr<CWnd>> temp;
    return temp;
}

// The message each thread is handling now (for Default and reflection), and how many window
// procedures of the thread are running (a nested loop must not free what a handler still uses).
thread_local MSG t_msgCur;
thread_local int t_nDispatchDepth;

// Window creation hook state.
thread_local CWnd* t_pWndInit;
thread_local HHOOK t_hHookCbt;

LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pWndInit != NULL) {
        // The system may make its input-method window for the thread first: not ours.
        char cls[16] = "";
        GetClassNameA((HWND)wParam, cls, sizeof(cls));
        if (lstrcmpiA(cls, "IME") != 0) {
            CWnd* pWnd = t_pWndInit;
            t_pWndInit = NULL; // only the first window created: not its children
            pWnd->SubclassWindow((HWND)wParam);
        }
    }
    return CallNextHookEx(t_hHookCbt, code, wParam, lParam);
}

bool IsCtlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

LPCSTR DefaultWndClass() {
    static const char kName[] = "FwWnd";
    static bool registered = [] {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = kName;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
    return kName;
}

} // namespace

void AfxInitCommonControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    });
}

void AfxDeleteTempMap() {
    if (t_nDispatchDepth > 0)
        return;
    auto& temp = Temporary();
    for (auto& entry : temp)
        entry.second->m_hWnd = NULL;
    temp.clear();
}

BOOL AfxPreTranslateMessage(MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != NULL;) {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd != NULL && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        hWnd = (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hWnd) : NULL;
    }
    return FALSE;
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG saved = t_msgCur;
    t_msgCur.hwnd = hWnd;
    t_msgCur.message = message;
    t_msgCur.wParam = wParam;
    t_msgCur.lParam = lParam;
    LRESULT result = 0;
    ++t_nDispatchDepth;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        // A handler failed (out of memory, a file error...): tell the user, keep the program running.
        char text[512] = "";
        if (!e->GetErrorMessage(text, sizeof(text)) || text[0] == '\0')
            lstrcpynA(text, "An unexpected error occurred.", sizeof(text));
        e->Delete();
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        result = message == WM_CREATE ? -1 : 0;
    }
    --t_nDispatchDepth;
    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd)
        pWnd->OnFinalNcDestroy();
    t_msgCur = saved;
    return result;
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == NULL)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

void CWnd::HookWindowCreate(CWnd* pWnd) {
    if (t_hHookCbt == NULL)
        t_hHookCbt = SetWindowsHookExA(WH_CBT, CbtFilterHook, NULL, GetCurrentThreadId());
    t_pWndInit = pWnd;
}

BOOL CWnd::UnhookWindowCreate() {
    if (t_hHookCbt != NULL) {
        UnhookWindowsHookEx(t_hHookCbt);
        t_hHookCbt = NULL;
    }
    BOOL consumed = t_pWndInit == NULL;
    t_pWndInit = NULL;
    return consumed;
}

// --- construction, binding

CWnd::CWnd() : m_hWnd(NULL), m_pCtrlSite(NULL), m_pfnSuper(NULL) {}

CWnd::~CWnd() {
    if (m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this) {
        DWORD owner = GetWindowThreadProcessId(m_hWnd, NULL);
        if (owner == GetCurrentThreadId())
            DestroyWindow();
        if (m_hWnd != NULL) // another thread's window, or its destruction failed: let go of it
            Detach();
    }
    DestroyControlSite();
    if (CWinApp* pApp = AfxGetAppIfAny())
        if (pApp->m_pMainWnd == this)
            pApp->m_pMainWnd = NULL;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == NULL)
        return NULL;
    HandleMap& hm = Permanent();
    std::lock_guard<std::mutex> guard(hm.lock);
    auto it = hm.map.find(hWnd);
    return it == hm.map.end() ? NULL : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == NULL)
        return NULL;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    auto& temp = Temporary();
    std::unique_ptr<CWnd>& slot = temp[hWnd];
    if (!slot) {
        slot.reset(new CWnd);
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == NULL || m_hWnd != NULL)
        return FALSE;
    HandleMap& hm = Permanent();
    std::lock_guard<std::mutex> guard(hm.lock);
    if (!hm.map.emplace(hWndNew, this).second)
        return FALSE; // bound to another object already
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd == NULL)
        return NULL;
    // Give a live window its own procedure back: nothing would route its messages any more.
    if (m_pfnSuper != NULL && ::IsWindow(hWnd) &&
        (WNDPROC)GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == &CWnd::WndProc)
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = NULL;
    {
        HandleMap& hm = Permanent();
        std::lock_guard<std::mutex> guard(hm.lock);
        auto it = hm.map.find(hWnd);
        if (it != hm.map.end() && it->second == this)
            hm.map.erase(it);
    }
    m_hWnd = NULL;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = (WNDPROC)SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&CWnd::WndProc);
    if (old == NULL || old == &CWnd::WndProc) {
        // Not a window we can take over (another thread's, or already routed by another object).
        if (old == NULL)
            m_pfnSuper = NULL;
        HandleMap& hm = Permanent();
        std::lock_guard<std::mutex> guard(hm.lock);
        hm.map.erase(hWnd);
        m_hWnd = NULL;
        return FALSE;
    }
    m_pfnSuper = old;
    return TRUE;
}

void CWnd::OnFinalNcDestroy() {
    Detach();
    if (CWinApp* pApp = AfxGetAppIfAny())
        if (pApp->m_pMainWnd == this)
            pApp->m_pMainWnd = NULL;
    DestroyControlSite();
}

void CWnd::PreSubclassWindow() {}

// --- creation

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd != NULL)
        return FALSE;
    AfxInitCommonControls();
    HookWindowCreate(this);
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName ? lpszClassName : DefaultWndClass(), lpszWindowName,
                                  dwStyle, x, y, nWidth, nHeight, hWndParent, nIDorHMenu, GetModuleHandleA(NULL),
                                  lpParam);
    UnhookWindowCreate();
    if (hWnd == NULL)
        return FALSE;
    if (m_hWnd != hWnd && !SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == NULL) {
        DestroyControlSite();
        return FALSE;
    }
    HWND hWnd = m_hWnd;
    BOOL ok = ::DestroyWindow(hWnd);
    if (m_hWnd == hWnd && !::IsWindow(hWnd))
        Detach(); // a window bound without routing never told us it went
    return ok;
}

// --- dispatch

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
        result = handled;
    } else {
        if (message == WM_DRAWITEM) {
            const DRAWITEMSTRUCT* pDIS = (const DRAWITEMSTRUCT*)lParam;
            if (pDIS != NULL && pDIS->CtlType != ODT_MENU) {
                CWnd* pChild = FromHandlePermanent(pDIS->hwndItem);
                if (pChild != NULL && pChild->OnChildNotify(message, wParam, lParam, &result))
                    handled = TRUE;
            }
        }
        if (!handled) {
            AFX_MSGCALL call = {message, wParam, lParam, 0};
            handled = DispatchToMap(IsCtlColorMessage(message) ? WM_CTLCOLOR : message, 0, 0, call);
            result = call.result;
        }
    }
    if (pResult != NULL)
        *pResult = handled ? result : 0;
    return handled;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != NULL)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_msgCur.message, t_msgCur.wParam, t_msgCur.lParam); }

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/) { return FALSE; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    if (hWndCtrl == NULL) {
        nCode = 0; // menus and accelerators are plain commands
    } else {
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        LRESULT result = 0;
        if (pChild != NULL && pChild != this && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, &result))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, NULL, NULL);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_MSGCALL call = {message, wParam, lParam, 0};
    BOOL handled;
    if (message == WM_COMMAND)
        handled = DispatchToMap(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, call);
    else if (IsCtlColorMessage(message))
        handled = DispatchToMap(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, call);
    else
        handled = DispatchToMap(WM_REFLECT_BASE + message, 0, 0, call);
    if (handled && pResult != NULL)
        *pResult = call.result;
    return handled;
}

// --- default handlers

void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
namespace {
BOOL CALLBACK ForwardSysColorChange(HWND hWnd, LPARAM) {
    if (CWnd::FromHandlePermanent(hWnd) != NULL)
        ::SendMessageA(hWnd, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}
} // namespace

// The system tells top-level windows only: they pass it on to the controls this layer runs
// (all descendants: the enumeration goes down the whole tree).
void CWnd::OnSysColorChange() {
    if (!(GetStyle() & WS_CHILD))
        ::EnumChildWindows(m_hWnd, ForwardSysColorChange, 0);
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    UINT message = WM_CTLCOLORMSGBOX + nCtlColor;
    WPARAM wParam = (WPARAM)pDC->GetSafeHdc();
    LPARAM lParam = (LPARAM)pWnd->GetSafeHwnd();
    CWnd* pChild = FromHandlePermanent(pWnd->GetSafeHwnd());
    LRESULT result = 0;
    if (pChild != NULL && pChild != this && pChild->OnChildNotify(message, wParam, lParam, &result))
        return (HBRUSH)result;
    return (HBRUSH)DefWindowProc(message, wParam, lParam);
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_CTLCOLOR()
    ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

// --- style

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = (DWORD)GetWindowLongA(hWnd, GWL_STYLE);
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    SetWindowLongA(hWnd, GWL_STYLE, (LONG)newStyle);
    if (nFlags != 0)
        ::SetWindowPos(hWnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags); }
DWORD CWnd::GetStyle() const { return (DWORD)GetWindowLongA(m_hWnd, GWL_STYLE); }

// --- text

void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
void CWnd::GetWindowText(CString& rString) const {
    int len = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBuffer(len), len + 1);
    rString.ReleaseBuffer();
}
void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    HWND hWndItem = ::GetDlgItem(m_hWnd, nID);
    if (hWndItem == NULL)
        return 0;
    int len = ::GetWindowTextLengthA(hWndItem);
    ::GetWindowTextA(hWndItem, rString.GetBuffer(len), len + 1);
    rString.ReleaseBuffer();
    return rString.GetLength();
}
// --- painting

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN hrgnUpdate, UINT flags) {
    return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags);
}
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
// --- geometry

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter->GetSafeHwnd(), x, y, cx, cy, nFlags);
}
int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(NULL, m_hWnd, (LPPOINT)lpRect, 2); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    DWORD style = GetStyle();
    RECT rcArea;   // where the window must stay
    RECT rcCenter; // what it is centred on
    HWND hWndCenter = pAlternateOwner->GetSafeHwnd();
    if (style & WS_CHILD) {
        HWND hWndParent = ::GetParent(m_hWnd);
        ::GetClientRect(hWndParent, &rcArea);
        if (hWndCenter == NULL)
            hWndCenter = hWndParent;
        ::GetClientRect(hWndCenter, &rcCenter);
        ::MapWindowPoints(hWndCenter, hWndParent, (LPPOINT)&rcCenter, 2);
    } else {
        if (hWndCenter == NULL)
            hWndCenter = ::GetWindow(m_hWnd, GW_OWNER);
        if (hWndCenter != NULL && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter)))
            hWndCenter = NULL;
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        HMONITOR hMonitor = MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
        if (!GetMonitorInfoA(hMonitor, &mi))
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
        rcArea = mi.rcWork;
        if (hWndCenter != NULL)
            ::GetWindowRect(hWndCenter, &rcCenter);
        else
            rcCenter = rcArea;
    }
    RECT rcWnd;
    ::GetWindowRect(m_hWnd, &rcWnd);
    int width = rcWnd.right - rcWnd.left;
    int height = rcWnd.bottom - rcWnd.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - width / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - height / 2;
    if (x + width > rcArea.right)
        x = rcArea.right - width;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + height > rcArea.bottom)
        y = rcArea.bottom - height;
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, NULL, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- state and relations

BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD)) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

// --- device contexts of a window

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd->GetSafeHwnd()) { Attach(::GetDC(m_hWnd)); }
CClientDC::~CClientDC() {
    HDC hDC = Detach();
    if (hDC != NULL)
        ::ReleaseDC(m_hWnd, hDC);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->GetSafeHwnd()) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
