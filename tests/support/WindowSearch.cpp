#include "tests/support/WindowSearch.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

const int kMessageBoxTextId = 0xFFFF;

struct Search {
    const std::function<bool(HWND)>* accept;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    if (!(*search->accept)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::string TextOf(HWND window)
{
    char text[4096] = {};
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    return std::string(text, std::min<size_t>(length, sizeof text - 1));
}

std::string ItemText(HWND dialog, int id)
{
    return TextOf(GetDlgItem(dialog, id));
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

bool IsOwnedBy(HWND window, HWND owner)
{
    if (!owner)
        return false;
    for (HWND up = GetWindow(window, GW_OWNER); up; up = GetWindow(up, GW_OWNER))
        if (up == owner)
            return true;
    return false;
}

bool IsDialogWith(HWND window, int childId)
{
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    return strcmp(cls, "#32770") == 0 && IsWindowVisible(window) && (childId == 0 || GetDlgItem(window, childId));
}

bool IsMessageBox(HWND window)
{
    return IsDialogWith(window, kMessageBoxTextId) && !BoxText(window).empty();
}

std::string BoxText(HWND box)
{
    return ItemText(box, kMessageBoxTextId);
}

HWND FindTopWindow(const std::function<bool(HWND)>& accept)
{
    Search search = {&accept, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const std::function<bool(HWND)>& accept, DWORD timeoutMs, const std::atomic<bool>* stop)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(accept)) != nullptr; }, timeoutMs, stop);
    return found;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

} // namespace testsupport
