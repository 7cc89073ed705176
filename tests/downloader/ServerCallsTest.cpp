// The server calls when no helper thread can be made: each call is made on the caller's thread, the
// failure is logged once, and the next call tries for a thread again.
#include "engine/ServerCalls.h"
#include "tests/support/ImportHook.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <process.h>

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {

typedef uintptr_t(__cdecl* BeginThread)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*);

BeginThread g_beginThread = nullptr;
bool g_refuseThreads = false;
int g_threadTries = 0;
volatile DWORD g_readThread = 0;

uintptr_t __cdecl RefusingBeginThread(void* security, unsigned stack, unsigned(__stdcall* start)(void*), void* argument,
                                      unsigned flags, unsigned* id)
{
    ++g_threadTries;
    if (g_refuseThreads) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return g_beginThread(security, stack, start, argument, flags, id);
}

// Stands for the library's read: says which thread made it, and reads one byte.
BOOL WINAPI RecordingRead(HINTERNET, LPVOID buffer, DWORD, LPDWORD read)
{
    g_readThread = GetCurrentThreadId();
    *static_cast<char*>(buffer) = 'x';
    *read = 1;
    return TRUE;
}

// The thread that made one read through the calls.
DWORD ReadingThread(CServerCalls& calls)
{
    char buffer[4] = "";
    DWORD read = 0;
    g_readThread = 0;
    EXPECT_TRUE(calls.ReadFile(NULL, buffer, sizeof buffer, &read));
    EXPECT_EQ(1u, read);
    EXPECT_EQ('x', buffer[0]);
    return g_readThread;
}

TEST(ServerCallsTest, WithoutAThreadCallsDirectlyLogsOnceAndTriesAgain)
{
    CurrentFolder folder;
    ImportHook beginThread("msvcrt.dll", "_beginthreadex", (void*)RefusingBeginThread);
    ImportHook read("wininet.dll", "InternetReadFile", (void*)RecordingRead);
    ASSERT_TRUE(beginThread.Original() && read.Original());
    g_beginThread = (BeginThread)beginThread.Original();
    g_threadTries = 0;
    g_refuseThreads = true;

    CServerCalls calls;
    EXPECT_EQ(GetCurrentThreadId(), ReadingThread(calls));
    EXPECT_EQ(GetCurrentThreadId(), ReadingThread(calls));
    EXPECT_EQ(2, g_threadTries);
    EXPECT_THAT(LogMessages(folder.Path()),
                ElementsAre(StartsWith("No thread for the server calls (error 8): calling directly")));

    g_refuseThreads = false;
    DWORD helper = ReadingThread(calls);
    EXPECT_NE(0u, helper);
    EXPECT_NE(GetCurrentThreadId(), helper);
    EXPECT_EQ(helper, ReadingThread(calls));
    EXPECT_EQ(3, g_threadTries);
    EXPECT_EQ(1u, LogMessages(folder.Path()).size());
}

} // namespace
