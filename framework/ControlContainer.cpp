// Placeholder until the control container exists: hosting fails cleanly, nothing is created.
// The container defines these four; CWnd calls DestroyControlSite when its window is gone
// (WM_NCDESTROY) and from its destructor, with or without a site.
#include "framework/ControlContainer.h"

#include "framework/Wnd.h"

void AfxEnableControlContainer(COccManager* /*pOccManager*/) {}

BOOL CWnd::CreateControl(REFCLSID /*clsid*/, LPCTSTR /*pszWindowName*/, DWORD /*dwStyle*/, const RECT& /*rect*/,
                         CWnd* /*pParentWnd*/, UINT /*nID*/, CFile* /*pPersist*/, BOOL /*bStorage*/,
                         BSTR /*bstrLicKey*/) {
    return FALSE;
}

LPUNKNOWN CWnd::GetControlUnknown() { return NULL; }

void CWnd::DestroyControlSite() { m_pCtrlSite = NULL; }
