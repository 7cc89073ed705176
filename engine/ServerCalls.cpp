#include "engine/ServerCalls.h"
#include "engine/Log.h"
#include "engine/Updater.h"
#include <process.h>
#include <cstring>
#include <string>

namespace {

// The helper reads up to this many blocks one after the other and wakes the caller once, at the end:
// each hand-over wakes two threads, which costs more than a block's own read on a fast line. A
// caller left waiting this long takes the blocks already there, so that a slow line or a server that
// stops sending does not hold back bytes that arrived.
const DWORD READ_AHEAD_BLOCKS = 4;
const DWORD READ_AHEAD_MS = 50;

} // namespace

// Shared by the caller and the helper thread; the last of the two to let go deletes it, so that a
// helper that was left behind still finds it when its call returns. Each side waits for the other
// asleep: a call to the server lasts as long as the server takes, and a player's line rarely answers
// within the time that spinning would pay for.
struct CServerCalls::Helper {
    enum Kind { SEND, READ };
    enum State { IDLE, CALLING, DONE };

    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    LONG refs;
    // Guarded by `lock`.
    State state;
    bool stop;  // the caller does not wait for calls any more
    bool leave; // the helper thread ends, after the call it is making

    // The call, written by the caller while no call is being made.
    Kind kind;
    HINTERNET request;
    std::string headers;
    DWORD size;
    // Its outcome, written by the helper thread before DONE; for a read, the result of its last block,
    // and whether that one found the end of the body.
    BOOL result;
    DWORD error;
    bool atEnd;
    // A read's blocks: the helper writes past `filled` only, the caller reads from `taken` to `filled`
    // (both guarded by `lock`). A call that was left may still read: never into the caller's buffer.
    BYTE buffer[READ_AHEAD_BLOCKS * DOWNLOAD_CHUNK_SIZE];
    DWORD filled;
    DWORD taken;

    // NULL, with the error, when no thread could be made.
    static Helper* Create(bool stopped)
    {
        Helper* helper = new Helper();
        InitializeCriticalSection(&helper->lock);
        InitializeConditionVariable(&helper->changed);
        helper->refs = 2;
        helper->state = IDLE;
        helper->stop = stopped;
        helper->leave = false;
        helper->filled = 0;
        helper->taken = 0;
        uintptr_t thread = _beginthreadex(NULL, 0, Loop, helper, 0, NULL);
        if (!thread) {
            DWORD error = GetLastError();
            DeleteCriticalSection(&helper->lock);
            delete helper;
            SetLastError(error);
            return NULL;
        }
        CloseHandle((HANDLE)thread);
        return helper;
    }

    void Release()
    {
        if (InterlockedDecrement(&refs) == 0) {
            DeleteCriticalSection(&lock);
            delete this;
        }
    }

    // Called with `lock` held, and returns with it held. The other side is woken once the lock is
    // free: woken while it is held, on the same CPU, it would run only to wait for the lock.
    void WakeUnlocked()
    {
        LeaveCriticalSection(&lock);
        WakeAllConditionVariable(&changed);
        EnterCriticalSection(&lock);
    }

    void Call()
    {
        if (kind == SEND) {
            result = HttpSendRequestA(request, headers.empty() ? NULL : headers.c_str(), (DWORD)headers.size(), NULL, 0);
            error = GetLastError();
            return;
        }
        // Called with filled == 0; the caller takes nothing before a block is whole.
        DWORD offset = 0;
        for (;;) {
            DWORD got = 0;
            result = InternetReadFile(request, buffer + offset, size, &got);
            error = GetLastError();
            atEnd = result && got == 0;
            offset += got;
            EnterCriticalSection(&lock);
            filled = offset;
            LeaveCriticalSection(&lock);
            if (!result || got < size || offset + size > sizeof buffer)
                return;
        }
    }

    bool Reading()
    {
        EnterCriticalSection(&lock);
        bool calling = state == CALLING;
        LeaveCriticalSection(&lock);
        return calling;
    }

    static unsigned __stdcall Loop(void* parameter)
    {
        Helper* helper = static_cast<Helper*>(parameter);
        EnterCriticalSection(&helper->lock);
        for (;;) {
            while (helper->state != CALLING && !helper->leave)
                SleepConditionVariableCS(&helper->changed, &helper->lock, INFINITE);
            if (helper->leave)
                break;
            LeaveCriticalSection(&helper->lock);
            helper->Call();
            EnterCriticalSection(&helper->lock);
            helper->state = DONE;
            helper->WakeUnlocked();
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

CServerCalls::CServerCalls() : m_helper(NULL), m_stopped(false), m_loggedNoThread(false)
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
    if (helper && helper->Reading()) {
        // Still reading for a body the caller left: that read ends by itself, on its own thread.
        LeaveHelper();
        helper = IdleHelper();
    }
    if (!helper)
        return Stopped() ? Cancelled() : HttpSendRequestA(request, headers, headersLength, NULL, 0);
    // What the last body left is dropped.
    helper->state = Helper::IDLE;
    helper->filled = 0;
    helper->taken = 0;
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
    if (!helper)
        return Stopped() ? Cancelled() : InternetReadFile(request, buffer, size, read);
    EnterCriticalSection(&helper->lock);
    while (!helper->stop) {
        if (helper->taken < helper->filled) {
            *read = helper->filled - helper->taken < size ? helper->filled - helper->taken : size;
            memcpy(buffer, helper->buffer + helper->taken, *read);
            helper->taken += *read;
            LeaveCriticalSection(&helper->lock);
            // Bytes and a failure cannot go out together: a failure comes once the bytes are taken.
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
        if (helper->state == Helper::DONE) {
            helper->state = Helper::IDLE;
            if (!helper->result || helper->atEnd) {
                LeaveCriticalSection(&helper->lock);
                SetLastError(helper->error);
                return helper->result;
            }
        }
        if (helper->state == Helper::IDLE) {
            helper->kind = Helper::READ;
            helper->request = request;
            helper->size = size;
            helper->filled = 0;
            helper->taken = 0;
            helper->state = Helper::CALLING;
            helper->WakeUnlocked();
        }
        SleepConditionVariableCS(&helper->changed, &helper->lock, READ_AHEAD_MS);
    }
    const bool calling = helper->state == Helper::CALLING;
    LeaveCriticalSection(&helper->lock);
    if (calling)
        LeaveHelper();
    return Cancelled();
}

bool CServerCalls::Stopped()
{
    EnterCriticalSection(&m_lock);
    bool stopped = m_stopped;
    LeaveCriticalSection(&m_lock);
    return stopped;
}

CServerCalls::Helper* CServerCalls::IdleHelper()
{
    if (m_helper)
        return m_helper;
    EnterCriticalSection(&m_lock);
    m_helper = Helper::Create(m_stopped);
    LeaveCriticalSection(&m_lock);
    if (!m_helper && !m_loggedNoThread)
        PatchLog("No thread for the server calls (error %lu): calling directly", (unsigned long)GetLastError());
    m_loggedNoThread = !m_helper;
    return m_helper;
}

BOOL CServerCalls::Run(Helper* helper)
{
    EnterCriticalSection(&helper->lock);
    if (helper->stop) {
        LeaveCriticalSection(&helper->lock);
        return Cancelled();
    }
    helper->state = Helper::CALLING;
    helper->WakeUnlocked();
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
