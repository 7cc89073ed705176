#include "engine/ServerCalls.h"
#include "engine/Updater.h"
#include <process.h>
#include <cstring>
#include <string>

// Shared by the caller and the helper thread; the last of the two to let go deletes it, so that a
// helper that was left behind still finds it when its call returns. Calls are handed over through
// a critical section and a condition variable, which need no trip to the kernel (or to Wine's
// server) when the other side is not waiting.
struct CServerCalls::Helper {
    enum Kind { SEND, READ };
    enum State { IDLE, CALLING, DONE };

    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    LONG refs;
    bool threaded; // false when no thread could be made: the caller then makes its calls itself
    // Changed under `lock`; also read without it while spinning.
    volatile LONG state; // a State
    volatile bool stop;  // the caller does not wait for calls any more
    volatile bool leave; // the helper thread ends, after the call it is making

    // The call, written by the caller while no call is being made.
    Kind kind;
    HINTERNET request;
    std::string headers;
    DWORD size;
    // Its outcome, written by the helper thread before DONE.
    BOOL result;
    DWORD error;
    DWORD read;
    // A call that was left may still read: never into the caller's buffer.
    BYTE buffer[DOWNLOAD_CHUNK_SIZE];

    static Helper* Create(bool stopped)
    {
        Helper* helper = new Helper();
        InitializeCriticalSection(&helper->lock);
        InitializeConditionVariable(&helper->changed);
        helper->refs = 2;
        helper->state = IDLE;
        helper->stop = stopped;
        helper->leave = false;
        uintptr_t thread = _beginthreadex(NULL, 0, Loop, helper, 0, NULL);
        helper->threaded = thread != 0;
        if (thread)
            CloseHandle((HANDLE)thread);
        else
            helper->refs = 1;
        return helper;
    }

    void Release()
    {
        if (InterlockedDecrement(&refs) == 0) {
            DeleteCriticalSection(&lock);
            delete this;
        }
    }

    void Call()
    {
        read = 0;
        if (kind == SEND)
            result = HttpSendRequestA(request, headers.empty() ? NULL : headers.c_str(), (DWORD)headers.size(), NULL, 0);
        else
            result = InternetReadFile(request, buffer, size, &read);
        error = GetLastError();
    }

    // A thread put to sleep and woken again costs more than reading a block (tens of microseconds
    // on a virtual machine), and the other side's step is usually short: a side that waits spins for
    // up to a millisecond before it sleeps.
    template <class Condition>
    static void SpinWhile(Condition waiting)
    {
        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        while (waiting()) {
            YieldProcessor();
            QueryPerformanceCounter(&now);
            if ((now.QuadPart - start.QuadPart) * 1000 > frequency.QuadPart)
                return;
        }
    }

    static unsigned __stdcall Loop(void* parameter)
    {
        Helper* helper = static_cast<Helper*>(parameter);
        EnterCriticalSection(&helper->lock);
        for (;;) {
            LeaveCriticalSection(&helper->lock);
            SpinWhile([helper] { return helper->state != CALLING && !helper->leave; });
            EnterCriticalSection(&helper->lock);
            while (helper->state != CALLING && !helper->leave)
                SleepConditionVariableCS(&helper->changed, &helper->lock, INFINITE);
            if (helper->leave)
                break;
            LeaveCriticalSection(&helper->lock);
            helper->Call();
            EnterCriticalSection(&helper->lock);
            helper->state = DONE;
            WakeAllConditionVariable(&helper->changed);
        }
        LeaveCriticalSection(&helper->lock);
        helper->Release();
        return 0;
    }
};

namespace {

BOOL Cancelled()
{
    SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    return FALSE;
}

} // namespace

CServerCalls::CServerCalls() : m_helper(NULL), m_stopped(false)
{
    InitializeCriticalSection(&m_lock);
}

CServerCalls::~CServerCalls()
{
    if (m_helper)
        LeaveHelper();
    DeleteCriticalSection(&m_lock);
}

void CServerCalls::Stop()
{
    SetStop(true);
}

void CServerCalls::Reset()
{
    SetStop(false);
}

void CServerCalls::SetStop(bool stop)
{
    EnterCriticalSection(&m_lock);
    m_stopped = stop;
    if (m_helper) {
        EnterCriticalSection(&m_helper->lock);
        m_helper->stop = stop;
        WakeAllConditionVariable(&m_helper->changed);
        LeaveCriticalSection(&m_helper->lock);
    }
    LeaveCriticalSection(&m_lock);
}

BOOL CServerCalls::SendRequest(HINTERNET request, const char* headers, DWORD headersLength)
{
    Helper* helper = IdleHelper();
    helper->kind = Helper::SEND;
    helper->request = request;
    helper->headers.assign(headers ? headers : "", headers ? headersLength : 0);
    if (!Run(helper))
        return FALSE;
    SetLastError(helper->error);
    return helper->result;
}

BOOL CServerCalls::ReadFile(HINTERNET request, void* buffer, DWORD size, DWORD* read)
{
    *read = 0;
    if (size > DOWNLOAD_CHUNK_SIZE)
        size = DOWNLOAD_CHUNK_SIZE;
    Helper* helper = IdleHelper();
    helper->kind = Helper::READ;
    helper->request = request;
    helper->size = size;
    if (!Run(helper))
        return FALSE;
    memcpy(buffer, helper->buffer, helper->read);
    *read = helper->read;
    SetLastError(helper->error);
    return helper->result;
}

CServerCalls::Helper* CServerCalls::IdleHelper()
{
    if (!m_helper) {
        EnterCriticalSection(&m_lock);
        m_helper = Helper::Create(m_stopped);
        LeaveCriticalSection(&m_lock);
    }
    return m_helper;
}

BOOL CServerCalls::Run(Helper* helper)
{
    EnterCriticalSection(&helper->lock);
    if (helper->stop) {
        LeaveCriticalSection(&helper->lock);
        return Cancelled();
    }
    if (!helper->threaded) {
        LeaveCriticalSection(&helper->lock);
        helper->Call();
        return TRUE;
    }
    helper->state = Helper::CALLING;
    WakeAllConditionVariable(&helper->changed);
    LeaveCriticalSection(&helper->lock);
    Helper::SpinWhile([helper] { return helper->state == Helper::CALLING && !helper->stop; });
    EnterCriticalSection(&helper->lock);
    while (helper->state == Helper::CALLING && !helper->stop)
        SleepConditionVariableCS(&helper->changed, &helper->lock, INFINITE);
    bool done = helper->state == Helper::DONE;
    if (done)
        helper->state = Helper::IDLE;
    LeaveCriticalSection(&helper->lock);
    if (done)
        return TRUE;
    LeaveHelper();
    return Cancelled();
}

void CServerCalls::LeaveHelper()
{
    EnterCriticalSection(&m_lock);
    Helper* helper = m_helper;
    m_helper = NULL;
    LeaveCriticalSection(&m_lock);
    EnterCriticalSection(&helper->lock);
    helper->leave = true;
    WakeAllConditionVariable(&helper->changed);
    LeaveCriticalSection(&helper->lock);
    helper->Release();
}
