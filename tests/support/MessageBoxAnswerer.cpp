#include "tests/support/MessageBoxAnswerer.h"

#include <tlhelp32.h>
#include <algorithm>
#include <map>

namespace testsupport {

namespace {

const int kMessageBoxTextId = 0xFFFF;
const DWORD kPollMs = 20;

std::string TextOf(HWND window)
{
    char text[4096] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT is marshalled across processes, unlike a plain read of a control's text.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length))
        return std::string();
    return std::string(text, std::min<size_t>(length, sizeof text - 1));
}

// Whether `pid` is `root` or descends from it, by the parents a process snapshot records.
bool InTree(DWORD pid, DWORD root)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return pid == root;
    std::map<DWORD, DWORD> parents;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        parents[entry.th32ProcessID] = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    for (int depth = 0; depth < 64 && pid != 0; ++depth) {
        if (pid == root)
            return true;
        auto parent = parents.find(pid);
        if (parent == parents.end() || parent->second == pid)
            return false;
        pid = parent->second;
    }
    return false;
}

struct Search {
    DWORD processId;
    const std::vector<HWND>* handled;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->processId == MessageBoxAnswerer::kProcessTree ? !InTree(pid, GetCurrentProcessId())
                                                              : pid != search->processId)
        return TRUE;
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !GetDlgItem(window, kMessageBoxTextId))
        return TRUE;
    if (std::find(search->handled->begin(), search->handled->end(), window) != search->handled->end())
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> buttons, DWORD timeoutMs, DWORD processId)
    : m_buttons(std::move(buttons)), m_timeoutMs(timeoutMs), m_processId(processId),
      m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    m_thread = std::thread(&MessageBoxAnswerer::Run, this);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    SetEvent(m_stop);
    if (m_thread.joinable())
        m_thread.join();
    CloseHandle(m_stop);
}

std::vector<AnsweredBox> MessageBoxAnswerer::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return Answered();
}

std::vector<AnsweredBox> MessageBoxAnswerer::Answered() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_answered;
}

HWND MessageBoxAnswerer::FindNewBox()
{
    // Forget boxes that are gone, so that a reused handle counts as a new box.
    m_handled.erase(std::remove_if(m_handled.begin(), m_handled.end(), [](HWND w) { return !IsWindow(w); }),
                    m_handled.end());
    Search search = {m_processId, &m_handled, nullptr};
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void MessageBoxAnswerer::Run()
{
    const ULONGLONG deadline = GetTickCount64() + m_timeoutMs;
    size_t next = 0;
    while (next < m_buttons.size() && GetTickCount64() < deadline) {
        if (HWND box = FindNewBox()) {
            AnsweredBox answer;
            answer.title = TextOf(box);
            answer.text = TextOf(GetDlgItem(box, kMessageBoxTextId));
            answer.button = m_buttons[next++];
            HWND button = GetDlgItem(box, answer.button);
            answer.buttonFound = button != nullptr;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_answered.push_back(answer);
            }
            m_handled.push_back(box);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), (LPARAM)button);
            continue;
        }
        if (WaitForSingleObject(m_stop, kPollMs) == WAIT_OBJECT_0)
            break;
    }
}

} // namespace testsupport
