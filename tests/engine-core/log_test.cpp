#include "engine/Log.h"
#include "Fixtures.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kLog[] = "PatchLog.txt";

std::string Stamp(const SYSTEMTIME& t)
{
    char text[32];
    snprintf(text, sizeof text, "%02d/%02d-%02d:%02d:%02d", t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string StampNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Stamp(now);
}

// The log's lines, each without its CR LF. Fails the test on a line that does not end in CR LF.
std::vector<std::string> LogLines()
{
    std::string text = ReadWholeFile(kLog);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            ADD_FAILURE() << "last line has no line end";
            lf = text.size();
        }
        std::string line = text.substr(start, lf - start);
        if (line.empty() || line.back() != '\r')
            ADD_FAILURE() << "line without CR LF: " << line.substr(0, 60);
        else
            line.pop_back();
        lines.push_back(line);
        start = lf + 1;
    }
    return lines;
}

// Splits "MM/DD-hh:mm:ss<TAB>message"; fails the test when the stamp is not of that form.
std::string MessageOf(const std::string& line, std::string* stamp = nullptr)
{
    const std::string pattern = "00/00-00:00:00\t";
    bool formed = line.size() >= pattern.size();
    for (size_t i = 0; formed && i < pattern.size(); ++i)
        formed = pattern[i] == '0' ? (line[i] >= '0' && line[i] <= '9') : line[i] == pattern[i];
    EXPECT_TRUE(formed) << "badly formed line: " << line.substr(0, 60);
    if (!formed)
        return std::string();
    if (stamp)
        *stamp = line.substr(0, 14);
    return line.substr(pattern.size());
}

TEST(PatchLogFormat, LineHasLocalTimeTabMessageAndCrLf)
{
    CurrentFolder folder;
    std::string before = StampNow();
    PatchLog("SIGNATURE OK (cle %d, liste %u octets)", 0, 1234u);
    std::string after = StampNow();

    const std::string message = "SIGNATURE OK (cle 0, liste 1234 octets)";
    std::string text = ReadWholeFile(kLog);
    ASSERT_EQ(text.size(), 14 + 1 + message.size() + 2);
    EXPECT_EQ(text.substr(14), "\t" + message + "\r\n");
    std::string stamp;
    EXPECT_EQ(MessageOf(text.substr(0, text.size() - 2), &stamp), message);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST(PatchLogFormat, AppendsToWhatIsThereAndClosesTheFileAfterEachLine)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile(kLog, "earlier line\r\n"));
    PatchLog("PRET");
    PatchLog("LANCE %s", "C:\\Jeux\\Vorn.exe");

    {
        // Nobody may still hold the file: a process that ends right after logging loses nothing.
        HeldFile exclusive(CreateFileA(kLog, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(exclusive.valid());
    }

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_EQ(MessageOf(lines[1]), "PRET");
    EXPECT_EQ(MessageOf(lines[2]), "LANCE C:\\Jeux\\Vorn.exe");
}

TEST(PatchLogFormat, LongMessageIsCutTo4095Characters)
{
    CurrentFolder folder;
    std::string message;
    for (int i = 0; i < 5000; ++i)
        message += (char)('a' + i % 26);
    PatchLog("%s", message.c_str());
    std::string exact(4095, 'x');
    PatchLog("%s", exact.c_str());
    PatchLog("%s!", exact.c_str());

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(MessageOf(lines[0]), message.substr(0, 4095));
    EXPECT_EQ(MessageOf(lines[1]), exact);
    EXPECT_EQ(MessageOf(lines[2]), exact);
}

TEST(PatchLogFormat, MessageLineEndsAreWrittenInTextMode)
{
    CurrentFolder folder;
    PatchLog("Connect retry %d/4\n%s", 2, "suite");
    std::string text = ReadWholeFile(kLog);
    ASSERT_GE(text.size(), 15u);
    EXPECT_EQ(text.substr(15), "Connect retry 2/4\r\nsuite\r\n");
}

TEST(PatchLogUnwritable, ReadOnlyLogLosesTheLineSilently)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile(kLog, "kept\r\n"));
    ASSERT_TRUE(SetFileAttributesA(kLog, FILE_ATTRIBUTE_READONLY));
    {
        HeldFile probe(CreateFileA(kLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   0, nullptr));
        if (probe.valid()) {
            SetFileAttributesA(kLog, FILE_ATTRIBUTE_NORMAL);
            GTEST_SKIP() << "this process may write read-only files (root under Wine); the locked log covers "
                            "a log that cannot be opened";
        }
    }
    PatchLog("PRET");
    EXPECT_EQ(ReadWholeFile(kLog), "kept\r\n");

    SetFileAttributesA(kLog, FILE_ATTRIBUTE_NORMAL);
    PatchLog("PRET");
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST(PatchLogUnwritable, LockedLogLosesTheLineAndLoggingResumesWhenFreed)
{
    CurrentFolder folder;
    ASSERT_TRUE(WriteWholeFile(kLog, "kept\r\n"));
    {
        HeldFile holder(CreateFileA(kLog, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.valid());
        PatchLog("ERREUR %s", "verrou");
    }
    EXPECT_EQ(ReadWholeFile(kLog), "kept\r\n");
    PatchLog("PRET");
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(MessageOf(lines[1]), "PRET");
}

TEST(PatchLogUnwritable, LogNameTakenByAFolderIsNotAnError)
{
    CurrentFolder folder;
    ASSERT_TRUE(CreateDirectoryA(kLog, nullptr));
    PatchLog("PRET");
    EXPECT_NE(GetFileAttributesA(kLog) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// Two threads, as the UI thread and the worker: every line arrives whole, none is lost. Half the
// lines are longer than the runtime's stream buffer, so an unserialised writer would split them.
TEST(PatchLogThreads, TwoThreadsLoseAndTearNoLine)
{
    CurrentFolder folder;
    const int kLinesPerThread = 3000;
    auto writer = [&](char id) {
        std::string longTail(4000, id);
        for (int i = 0; i < kLinesPerThread; ++i) {
            if (i % 2)
                PatchLog("%c %05d %s", id, i, longTail.c_str());
            else
                PatchLog("%c %05d", id, i);
        }
    };
    std::thread a(writer, 'A');
    std::thread b(writer, 'B');
    a.join();
    b.join();

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u * kLinesPerThread);
    std::set<std::string> seen;
    int nextA = 0, nextB = 0;
    for (const std::string& line : lines) {
        std::string message = MessageOf(line);
        ASSERT_GE(message.size(), 7u) << line.substr(0, 60);
        char id = message[0];
        ASSERT_TRUE(id == 'A' || id == 'B') << line.substr(0, 60);
        int seq = atoi(message.substr(2, 5).c_str());
        std::string expected = std::string(1, id) + " " + message.substr(2, 5);
        if (seq % 2)
            expected += " " + std::string(4000, id);
        ASSERT_EQ(message, expected) << "torn line " << line.substr(0, 60);
        // Each thread's lines keep their order.
        int& next = id == 'A' ? nextA : nextB;
        ASSERT_EQ(seq, next);
        ++next;
        seen.insert(message.substr(0, 7));
    }
    EXPECT_EQ(seen.size(), 2u * kLinesPerThread);
}

} // namespace
