#include "tests/support/ChildProcess.h"

#include <vector>

namespace testsupport {

ChildProcess::~ChildProcess()
{
    Terminate();
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& workDir)
{
    Terminate();
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD& exitCode)
{
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_process, &exitCode) != FALSE;
}

void ChildProcess::Terminate()
{
    if (!m_process)
        return;
    if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process, 255);
        WaitForSingleObject(m_process, 5000);
    }
    CloseHandle(m_process);
    m_process = nullptr;
    m_id = 0;
}

ChildResult RunChild(const std::string& commandLine, DWORD timeoutMs, const std::string& workDir)
{
    ChildResult result;
    ChildProcess child;
    result.started = child.Start(commandLine, workDir);
    if (result.started)
        result.timedOut = !child.Wait(timeoutMs, result.exitCode);
    return result;
}

} // namespace testsupport
