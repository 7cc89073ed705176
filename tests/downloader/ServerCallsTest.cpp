// The server calls' hand-over of what the library read: blocks read ahead come out one call at a
// time and in order, a failure after bytes comes at the next call, a new request drops what the last
// one left. And when no helper thread can be made: each call is made on the caller's thread, the
// failure is logged once, and the next call tries for a thread again.
#include "engine/ServerCalls.h"
#include "engine/Updater.h"
#include "tests/support/ImportHook.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <process.h>
#include <deque>
#include <string>

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

// What the library's reads give, one entry per read: bytes (a letter repeated), or a failure.
struct LibraryRead {
    char letter;
    DWORD bytes;
    DWORD error; // 0: the read succeeds
};
std::deque<LibraryRead> g_script;
int g_libraryReads = 0;

BOOL WINAPI ScriptedRead(HINTERNET, LPVOID buffer, DWORD size, LPDWORD read)
{
    ++g_libraryReads;
    *read = 0;
    if (g_script.empty())
        return TRUE;
    LibraryRead next = g_script.front();
    g_script.pop_front();
    if (next.error) {
        SetLastError(next.error);
        return FALSE;
    }
    *read = next.bytes < size ? next.bytes : size;
    memset(buffer, next.letter, *read);
    return TRUE;
}

BOOL WINAPI AnsweringSend(HINTERNET, LPCSTR, DWORD, LPVOID, DWORD)
{
    return TRUE;
}

// One read through the calls: "<letter> x <bytes>", "end", or "error <code>".
std::string ReadOnce(CServerCalls& calls)
{
    static char buffer[DOWNLOAD_CHUNK_SIZE];
    DWORD read = 12345;
    if (!calls.ReadFile(NULL, buffer, sizeof buffer, &read))
        return "error " + std::to_string(GetLastError());
    if (read == 0)
        return "end";
    for (DWORD i = 1; i < read; ++i)
        if (buffer[i] != buffer[0])
            return "mixed bytes";
    return std::string(1, buffer[0]) + " x " + std::to_string(read);
}

class ReadAheadTest : public ::testing::Test {
protected:
    ReadAheadTest() : m_read("wininet.dll", "InternetReadFile", (void*)ScriptedRead),
                      m_send("wininet.dll", "HttpSendRequestA", (void*)AnsweringSend)
    {
        g_script.clear();
        g_libraryReads = 0;
    }
    ImportHook m_read;
    ImportHook m_send;
    CServerCalls m_calls;
};

const DWORD BLOCK = DOWNLOAD_CHUNK_SIZE;

TEST_F(ReadAheadTest, BlocksComeOutInOrderAndAFailureAfterBytesComesNext)
{
    ASSERT_TRUE(m_read.Original() && m_send.Original());
    g_script = {{'a', BLOCK, 0}, {'b', BLOCK, 0}, {'c', 100, 0}, {'d', BLOCK, 0}, {0, 0, ERROR_INTERNET_TIMEOUT},
                {'e', 7, 0}};
    EXPECT_EQ("a x 65536", ReadOnce(m_calls));
    EXPECT_EQ("b x 65536", ReadOnce(m_calls));
    EXPECT_EQ("c x 100", ReadOnce(m_calls));
    EXPECT_EQ(3, g_libraryReads) << "a short block ends what is read ahead";
    EXPECT_EQ("d x 65536", ReadOnce(m_calls));
    EXPECT_EQ("error " + std::to_string(ERROR_INTERNET_TIMEOUT), ReadOnce(m_calls));
    EXPECT_EQ(5, g_libraryReads) << "the failure was held, not read again";
    EXPECT_EQ("e x 7", ReadOnce(m_calls));
    EXPECT_EQ("end", ReadOnce(m_calls));
}

TEST_F(ReadAheadTest, ANewRequestOrAStopDropsWhatWasReadAhead)
{
    ASSERT_TRUE(m_read.Original() && m_send.Original());
    g_script = {{'a', BLOCK, 0}, {'b', BLOCK, 0}, {'c', 10, 0}, {'d', BLOCK, 0}, {'e', BLOCK, 0}, {'f', 10, 0}};
    EXPECT_EQ("a x 65536", ReadOnce(m_calls));
    ASSERT_TRUE(m_calls.SendRequest(NULL, NULL, 0));
    EXPECT_EQ("d x 65536", ReadOnce(m_calls));
    m_calls.Stop();
    EXPECT_EQ("error " + std::to_string(ERROR_INTERNET_OPERATION_CANCELLED), ReadOnce(m_calls));
    m_calls.Reset();
    ASSERT_TRUE(m_calls.SendRequest(NULL, NULL, 0));
    EXPECT_EQ("end", ReadOnce(m_calls));
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
