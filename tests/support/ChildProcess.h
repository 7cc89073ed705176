// Starts another program for a test, waits for it with a bound, and kills it if left running.
#pragma once
#include <windows.h>
#include <set>
#include <string>

namespace testsupport {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // terminates the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // CreateProcess with this command line (and working folder, if given); false if it could not start.
    bool Start(const std::string& commandLine, const std::string& workDir = std::string());

    // Takes over a process that another program started; false if it cannot be opened.
    bool Adopt(DWORD processId);

    // Waits at most timeoutMs for the end; true with its exit code if it ended, false (still running) otherwise.
    bool Wait(DWORD timeoutMs, DWORD& exitCode);
    bool Running() const;

    void Terminate();
    DWORD Id() const { return m_id; }

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

struct ChildResult {
    bool started = false;
    bool timedOut = false;  // it was still running after the timeout and was terminated
    DWORD exitCode = 0;
};

// Runs a command line to its end (at most timeoutMs) and returns how it ended.
ChildResult RunChild(const std::string& commandLine, DWORD timeoutMs,
                     const std::string& workDir = std::string());

// Starts this test program again running one test only (a disabled one may be named); in the child,
// ChildArgument() gives `argument`.
bool StartTestInChild(ChildProcess& child, const std::string& testName, const std::string& argument);
// In a child started so: its argument; "" in any other run.
std::string ChildArgument();

// The process that started `processId`, by a snapshot of the processes; 0 when unknown.
DWORD ParentOf(DWORD processId);
// `root` and every process it started, directly or not.
std::set<DWORD> ProcessTree(DWORD root);

// An environment variable set while the object lives (the programs a test starts inherit it).
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace testsupport
