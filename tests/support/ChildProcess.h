// Starts another program for a test, waits for it with a bound, and kills it if left running.
#pragma once
#include <windows.h>
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

    // Waits at most timeoutMs for the end; true with its exit code if it ended, false (still running) otherwise.
    bool Wait(DWORD timeoutMs, DWORD& exitCode);

    void Terminate();
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }

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

} // namespace testsupport
