// Hosting of ActiveX controls in windows (CWnd::CreateControl, CWnd::GetControlUnknown).
#pragma once

#include <windows.h>

class COccManager;

// Makes CWnd::CreateControl available; call once before creating a control.
void AfxEnableControlContainer(COccManager* pOccManager = NULL);
