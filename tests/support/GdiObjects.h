// How many GDI objects this process holds: leak checks around repeated operations.
#pragma once
#include <windows.h>

namespace testsupport {

// The system's own count (GetGuiResources) where it keeps one. Wine answers 0 there, so this counts
// the live entries of the process's GDI handle table instead, which the process environment block
// points to; 0 only when neither is available.
DWORD GdiObjectCount();

} // namespace testsupport
