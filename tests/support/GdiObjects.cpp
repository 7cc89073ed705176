#include "tests/support/GdiObjects.h"

#include <winternl.h>

namespace testsupport {

namespace {

// One entry of the GDI handle table, as Wine lays it out (the same as 64-bit Windows).
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;  // 0: a free entry
    UCHAR flags;
    UINT64 userPointer;
};
const unsigned kGdiHandleEntries = 0x10000;

#ifdef _WIN64
const size_t kPebGdiTableOffset = 0xF8;
#else
const size_t kPebGdiTableOffset = 0x94;
#endif

// Wine keeps one table per process, so every used entry is one of ours.
DWORD CountTableEntries() {
    typedef LONG(WINAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const FARPROC found = GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    const QueryProcess query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(found));
    PROCESS_BASIC_INFORMATION basic = {};
    if (query == nullptr || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        basic.PebBaseAddress == nullptr)
        return 0;
    const BYTE* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const GdiHandleEntry* table = *reinterpret_cast<GdiHandleEntry* const*>(peb + kPebGdiTableOffset);
    if (table == nullptr)
        return 0;
    DWORD used = 0;
    for (unsigned i = 0; i < kGdiHandleEntries; ++i)
        used += table[i].type != 0;
    return used;
}

} // namespace

DWORD GdiObjectCount() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return counted != 0 ? counted : CountTableEntries();
}

} // namespace testsupport
