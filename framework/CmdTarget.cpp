#include "framework/CmdTarget.h"

#include "framework/App.h"
#include "framework/Gdi.h"
#include "framework/Geometry.h"
#include "framework/Wnd.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchToMap(UINT nKey, UINT nCode, UINT nID, AFX_MSGCALL& call) {
    const bool byControl = nKey == WM_COMMAND;
    const bool byCode = byControl || nKey == WM_REFLECT_BASE + WM_COMMAND;
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
            if (e->nMessage != nKey)
                continue;
            if (byCode && e->nCode != nCode)
                continue;
            if (byControl && (nID < e->nID || nID > e->nLastID))
                continue;
            if (e->pfn(this, call))
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* /*pExtra*/, AFX_CMDHANDLERINFO* /*pHandlerInfo*/) {
    AFX_MSGCALL call = {WM_COMMAND, MAKEWPARAM(nID, nCode), 0, 0};
    return DispatchToMap(WM_COMMAND, (UINT)nCode, nID, call);
}

void CCmdTarget::BeginWaitCursor() { AfxGetApp()->DoWaitCursor(1); }
void CCmdTarget::EndWaitCursor() { AfxGetApp()->DoWaitCursor(-1); }

CDC* AfxDCFromParam(WPARAM wParam) { return CDC::FromHandle((HDC)wParam); }
CWnd* AfxWndFromParam(LPARAM lParam) { return CWnd::FromHandle((HWND)lParam); }
CWnd* AfxWndFromParam(WPARAM wParam) { return CWnd::FromHandle((HWND)wParam); }
CPoint AfxPointFromParam(LPARAM lParam) {
    return CPoint((int)(short)LOWORD(lParam), (int)(short)HIWORD(lParam));
}
