#include "tests/support/MessageBoxAnswerer.h"

#include <algorithm>
#include <set>

#include "tests/support/ChildProcess.h"
#include "tests/support/WindowSearch.h"

namespace testsupport {

namespace {

const DWORD kPollMs = 20;

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> buttons, DWORD timeoutMs, DWORD processId)
    : m_buttons(std::move(buttons)), m_deadline(GetTickCount64() + timeoutMs), m_processId(processId),
      m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_allGiven(CreateEventA(nullptr, TRUE, m_buttons.empty(), nullptr))
{
    m_thread = std::thread(&MessageBoxAnswerer::Run, this);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    SetEvent(m_stop);
    m_thread.join();
    CloseHandle(m_allGiven);
    CloseHandle(m_stop);
}

std::vector<AnsweredBox> MessageBoxAnswerer::Wait()
{
    ULONGLONG now = GetTickCount64();
    WaitForSingleObject(m_allGiven, now < m_deadline ? (DWORD)(m_deadline - now) : 0);
    return Answered();
}

std::vector<AnsweredBox> MessageBoxAnswerer::Answered() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_answered;
}

std::vector<std::string> MessageBoxAnswerer::Texts() const
{
    std::vector<std::string> texts;
    for (const AnsweredBox& box : Answered())
        texts.push_back(box.text);
    return texts;
}

HWND MessageBoxAnswerer::FindNewBox()
{
    // Forget boxes that are gone, so that a reused handle counts as a new box.
    m_handled.erase(std::remove_if(m_handled.begin(), m_handled.end(), [](HWND w) { return !IsWindow(w); }),
                    m_handled.end());
    std::set<DWORD> processes =
        m_processId == kProcessTree ? ProcessTree(GetCurrentProcessId()) : std::set<DWORD>{m_processId};
    return FindTopWindow([&](HWND window) {
        return processes.count(ProcessOf(window)) && IsMessageBox(window) &&
               std::find(m_handled.begin(), m_handled.end(), window) == m_handled.end();
    });
}

void MessageBoxAnswerer::Run()
{
    size_t next = 0;
    do {
        HWND box = FindNewBox();
        if (!box)
            continue;
        AnsweredBox answer;
        answer.title = TextOf(box);
        answer.text = BoxText(box);
        answer.thread = GetWindowThreadProcessId(box, nullptr);
        if (next < m_buttons.size())
            answer.button = m_buttons[next++];
        else
            answer.button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
        HWND button = GetDlgItem(box, answer.button);
        answer.buttonFound = button != nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_answered.push_back(answer);
        }
        m_handled.push_back(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), (LPARAM)button);
        if (next == m_buttons.size())
            SetEvent(m_allGiven);
    } while (WaitForSingleObject(m_stop, kPollMs) == WAIT_TIMEOUT);
}

} // namespace testsupport
