// The internet library's calls that wait for the server (sending a request, reading a body) run on
// a helper thread, so that a worker asked to stop can leave a call that does not return: under
// Wine, closing the request, connection or session handle does not end a read from a server that
// stopped sending (it lasts until the 120 s receive time-out).
#pragma once
#include <windows.h>
#include <wininet.h>

class CServerCalls {
public:
    CServerCalls();
    // The helper ends by itself: at once when idle, otherwise when its call returns.
    ~CServerCalls();

    // Any thread: the call being waited for is left, and later calls return at once, until Reset.
    // A call left running ends by itself, when the server answers or the receive time-out passes.
    void Stop();
    void Reset();

    // HttpSendRequestA without a body, and InternetReadFile, with their results and last error.
    // The helper may read a few blocks ahead: ReadFile hands them out one call at a time, and a
    // failure that came after bytes at the next call; SendRequest drops what the last request left.
    // Once stopped they return FALSE with ERROR_INTERNET_OPERATION_CANCELLED; a call left running
    // writes nothing of the caller's. When no helper thread can be made, the call is made on the
    // caller's thread (logged once), and the next call tries for a thread again.
    BOOL SendRequest(HINTERNET request, const char* headers, DWORD headersLength);
    BOOL ReadFile(HINTERNET request, void* buffer, DWORD size, DWORD* read);

    CServerCalls(const CServerCalls&) = delete;
    CServerCalls& operator=(const CServerCalls&) = delete;

private:
    struct Helper;
    void SetStop(bool stop);
    bool Stopped();
    // NULL when no thread could be made.
    Helper* IdleHelper();
    // Has the helper make the call described in it and waits for it or for the stop: TRUE when the
    // call returned (its outcome is in the helper); FALSE with ERROR_INTERNET_OPERATION_CANCELLED
    // when stopped, and a call that was left takes its helper with it (m_helper is NULL).
    BOOL Run(Helper* helper);
    void LeaveHelper();

    CRITICAL_SECTION m_lock; // guards m_helper and m_stopped, which Stop reads from another thread
    Helper* m_helper;        // NULL until the first call, and after a call was left
    bool m_stopped;
    bool m_loggedNoThread; // the last try for a helper thread failed, and that was logged
};
