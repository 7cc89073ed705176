#include "tests/support/ChildProcess.h"

#include <tlhelp32.h>
#include <map>
#include <vector>

namespace testsupport {

namespace {

const char kChildArgument[] = "VELMORA_TEST_CHILD";

std::map<DWORD, DWORD> ParentsOfAll()
{
    std::map<DWORD, DWORD> parents;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return parents;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        parents[entry.th32ProcessID] = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parents;
}

} // namespace

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

bool ChildProcess::Adopt(DWORD processId)
{
    Terminate();
    m_process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    m_id = m_process ? processId : 0;
    return m_process != nullptr;
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD& exitCode)
{
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_process, &exitCode) != FALSE;
}

bool ChildProcess::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Terminate()
{
    if (!m_process)
        return;
    if (Running()) {
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

bool StartTestInChild(ChildProcess& child, const std::string& testName, const std::string& argument)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ScopedEnv passed(kChildArgument, argument);
    return child.Start(std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=" + testName);
}

std::string ChildArgument()
{
    char value[1024] = "";
    GetEnvironmentVariableA(kChildArgument, value, sizeof value);
    return value;
}

DWORD ParentOf(DWORD processId)
{
    std::map<DWORD, DWORD> parents = ParentsOfAll();
    auto found = parents.find(processId);
    return found == parents.end() ? 0 : found->second;
}

std::set<DWORD> ProcessTree(DWORD root)
{
    std::map<DWORD, DWORD> parents = ParentsOfAll();
    std::set<DWORD> tree = {root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& process : parents)
            if (process.first != process.second && tree.count(process.second) && tree.insert(process.first).second)
                grew = true;
    }
    return tree;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : m_name(name)
{
    char old[4096];
    DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    if (n > 0 && n < sizeof old) {
        m_had = true;
        m_old.assign(old, n);
    }
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnv::~ScopedEnv()
{
    SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr);
}

} // namespace testsupport
