#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <string>

#include "framework/File.h"
#include "TempFolder.h"

namespace {

// Runs the call and returns the cause of the CFileException* it throws, or -1 when none is thrown.
template <class F>
int ThrownFileCause(F call, LONG* osError = nullptr) {
    try {
        call();
    } catch (CFileException* e) {
        int cause = e->m_cause;
        if (osError) *osError = e->m_lOsError;
        e->Delete();
        return cause;
    }
    return -1;
}

}  // namespace

TEST(CFileOpen, CreateTruncatesUnlessNoTruncate) {
    TempFolder dir;
    const std::string path = dir.Path("data.bin");
    WriteWholeFile(path, "hello world");

    {
        CFile keep;
        ASSERT_TRUE(keep.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
        EXPECT_EQ(keep.GetLength(), 11u);
        EXPECT_EQ(keep.SeekToEnd(), 11u);
        keep.Write("!!", 2);
    }
    EXPECT_EQ(ReadWholeFile(path), "hello world!!");

    {
        CFile fresh;
        ASSERT_TRUE(fresh.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(fresh.GetLength(), 0u);
        fresh.Write("abc", 3);
        fresh.Close();
    }
    EXPECT_EQ(ReadWholeFile(path), "abc");

    // Without modeCreate an existing file opens where it starts: writing overwrites in place.
    {
        CFile plain;
        ASSERT_TRUE(plain.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyWrite));
        plain.Write("X", 1);
    }
    EXPECT_EQ(ReadWholeFile(path), "Xbc");

    // modeCreate | modeNoTruncate also creates a missing file.
    const std::string other = dir.Path("new.bin");
    {
        CFile created;
        ASSERT_TRUE(created.Open(other.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        EXPECT_EQ(created.GetLength(), 0u);
    }
    EXPECT_EQ(::GetFileAttributesA(other.c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

TEST(CFileOpen, FailureReportsCauseAndKeepsObjectClosed) {
    TempFolder dir;
    const std::string missing = dir.Path("missing.txt");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(error.m_strFileName, missing.c_str());
    EXPECT_EQ(file.m_hFile, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.Open(dir.Path("no\\such\\folder\\x").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    char text[256];
    EXPECT_TRUE(error.GetErrorMessage(text, sizeof text));
    EXPECT_GT(strlen(text), 0u);
}

TEST(CFileShare, DenyWriteDeniesWritersOnly) {
    TempFolder dir;
    const std::string path = dir.Path("shared.part");
    CFile first;
    ASSERT_TRUE(first.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite));

    CFile writer;
    CFileException error;
    EXPECT_FALSE(writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);

    CFile reader;
    EXPECT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    reader.Close();

    // An exclusive open refuses even readers, until its object is destroyed.
    first.Close();
    {
        CFile exclusive;
        ASSERT_TRUE(exclusive.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive));
        EXPECT_FALSE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    }
    EXPECT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
}

TEST(CFileWrite, ThrowsOnReadOnlyHandleAndLeavesFileIntact) {
    TempFolder dir;
    const std::string path = dir.Path("readonly.txt");
    WriteWholeFile(path, "original");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));

    bool caughtAsBase = false;
    try {
        file.Write("overwrite", 9);
    } catch (CException* e) {  // the program's way of catching it
        caughtAsBase = dynamic_cast<CFileException*>(e) != nullptr;
        e->Delete();
    }
    EXPECT_TRUE(caughtAsBase);
    LONG os = 0;
    EXPECT_EQ(ThrownFileCause([&] { file.Write("x", 1); }, &os), CFileException::accessDenied);
    EXPECT_EQ(os, ERROR_ACCESS_DENIED);
    file.Close();
    EXPECT_EQ(ReadWholeFile(path), "original");
}

TEST(CFileWrite, ThrowsWhenTheSystemWriteFails) {
    // A pipe whose reading end is gone: every write fails.
    HANDLE readEnd = NULL, writeEnd = NULL;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, NULL, 0));
    ::CloseHandle(readEnd);
    CFile pipe;
    pipe.m_hFile = writeEnd;  // not opened by the object: it does not close it
    LONG os = 0;
    EXPECT_NE(ThrownFileCause([&] { pipe.Write("data", 4); }, &os), -1);
    EXPECT_NE(os, 0);
    ::CloseHandle(writeEnd);
}

TEST(CFileWrite, ThrowsWhenFewerBytesAreWritten) {
    // A non-blocking pipe with a small buffer that nobody reads accepts only part of a large write.
    const char* name = "\\\\.\\pipe\\fwbase-short-write";
    HANDLE server = ::CreateNamedPipeA(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 0, 4096, 0, NULL);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    HANDLE client = ::CreateFileA(name, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    DWORD mode = PIPE_NOWAIT;
    ::SetNamedPipeHandleState(client, &mode, NULL, NULL);

    std::string block(1 << 20, 'z');
    CFile file;
    file.m_hFile = client;
    int cause = -2;
    for (int i = 0; i < 64 && cause < 0; ++i) cause = ThrownFileCause([&] { file.Write(block.data(), (UINT)block.size()); });
    EXPECT_EQ(cause, CFileException::diskFull) << "a megabyte written 64 times into an unread pipe never came up short";
    ::CloseHandle(client);
    ::CloseHandle(server);
}

TEST(CFileSeek, PositionsAndLength) {
    TempFolder dir;
    const std::string path = dir.Path("seek.bin");
    WriteWholeFile(path, "0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeReadWrite));
    char c = 0;
    EXPECT_EQ(file.Seek(4, CFile::begin), 4u);
    EXPECT_EQ(file.Read(&c, 1), 1u);
    EXPECT_EQ(c, '4');
    EXPECT_EQ(file.Seek(-2, CFile::end), 8u);
    EXPECT_EQ(file.Seek(-3, CFile::current), 5u);
    char rest[16] = {};
    EXPECT_EQ(file.Read(rest, sizeof rest), 5u);
    EXPECT_STREQ(rest, "56789");
    EXPECT_EQ(file.Read(rest, sizeof rest), 0u);
    EXPECT_NE(ThrownFileCause([&] { file.Seek(-1, CFile::begin); }), -1);
    EXPECT_EQ(file.GetLength(), 10u);
}

TEST(CMemFileAttached, FixedBufferIsReadWrittenInPlaceAndNeverFreed) {
    BYTE buffer[32];
    for (int i = 0; i < 32; ++i) buffer[i] = (BYTE)i;
    {
        CMemFile mem;
        mem.Attach(buffer, sizeof buffer, 0);
        EXPECT_EQ(mem.GetLength(), 32u);
        BYTE got[40] = {};
        EXPECT_EQ(mem.Read(got, 10), 10u);
        EXPECT_EQ(got[9], 9);
        EXPECT_EQ(mem.Read(got, 40), 22u);
        EXPECT_EQ(got[21], 31);
        EXPECT_EQ(mem.Read(got, 1), 0u);

        mem.Seek(0, CFile::begin);
        mem.Write("\xAA\xBB", 2);
        EXPECT_EQ(buffer[0], 0xAA);
        EXPECT_EQ(buffer[1], 0xBB);

        // It cannot grow: writing past the end throws and changes nothing.
        mem.Seek(30, CFile::begin);
        bool threw = false;
        try {
            mem.Write("12345", 5);
        } catch (CMemoryException* e) {
            threw = true;
            e->Delete();
        }
        EXPECT_TRUE(threw);
        EXPECT_EQ(buffer[30], 30);
        EXPECT_EQ(mem.GetLength(), 32u);
        EXPECT_NE(ThrownFileCause([&] { mem.Seek(-1, CFile::begin); }), -1);
    }
    // The destructor left the (stack) buffer alone: freeing it would have crashed the process.
    EXPECT_EQ(buffer[2], 2);
}

TEST(CMemFileOwned, Grows) {
    CMemFile mem(16);
    std::string text(100, 'q');
    mem.Write(text.data(), (UINT)text.size());
    mem.Write("end", 3);
    EXPECT_EQ(mem.GetLength(), 103u);
    mem.Seek(0, CFile::begin);
    std::string back(103, '\0');
    EXPECT_EQ(mem.Read(&back[0], 200), 103u);
    EXPECT_EQ(back, text + "end");
}

TEST(CMemFileOwned, WritingWhereNoMemoryReachesThrowsAndKeepsTheContent) {
    CMemFile mem(1024);
    mem.Write("abc", 3);
    // The farthest a position goes: the top of the address range, or of a seek offset.
    const ULONGLONG top = (std::min)((ULONGLONG)(SIZE_T)-1, (ULONGLONG)LLONG_MAX);
    for (ULONGLONG position : {top - 1, top - 100, top - 1500}) {
        mem.Seek((LONGLONG)position, CFile::begin);
        bool threw = false;
        try {
            mem.Write("xyz", 3);
        } catch (CMemoryException* e) {
            threw = true;
            e->Delete();
        }
        EXPECT_TRUE(threw) << position;
        EXPECT_EQ(mem.GetLength(), 3u);
    }
    // Still usable afterwards.
    mem.Seek(3, CFile::begin);
    mem.Write("de", 2);
    mem.Seek(0, CFile::begin);
    char back[6] = {};
    EXPECT_EQ(mem.Read(back, 5), 5u);
    EXPECT_STREQ(back, "abcde");
}
