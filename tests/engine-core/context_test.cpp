#include "engine/UpdateContext.h"
#include "engine/PathFit.h"
#include "tests/support/LongPaths.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WaitFor.h"
#include <gtest/gtest.h>
#include <mbctype.h>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Runs after the update context's initialiser: a job queued here must still be there when the
// tests run, which it would not be if the context were constructed (again) later.
bool g_contextWasEmptyAtStart = false;
struct QueueAfterContext {
    QueueAfterContext()
    {
        g_contextWasEmptyAtStart = g_update.m_jobs.empty() && g_update.m_szDir[0] == '\0' &&
                                   g_update.m_szExePath[0] == '\0' && g_update.m_bSelfUpdate == 0;
        g_update.AddJob("queued-at-start.txt", "files/pc/start", 1);
    }
} s_queueAfterContext __attribute__((init_priority(204)));

bool AllZero(const char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (bytes[i])
            return false;
    return true;
}

CUpdateContext ContextIn(const std::string& dir)
{
    CUpdateContext context;
    strcpy(context.m_szDir, dir.c_str());
    return context;
}

TEST(UpdateContext, GlobalContextIsBuiltBeforeLaterInitialisersUseIt)
{
    EXPECT_TRUE(g_contextWasEmptyAtStart);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szLocalPath, "\\queued-at-start.txt");
    g_update.m_jobs.clear();
}

TEST(UpdateContext, NewContextHasNoPathsNoJobsNoSelfUpdate)
{
    CUpdateContext context;
    EXPECT_TRUE(AllZero(context.m_szDir, sizeof context.m_szDir));
    EXPECT_TRUE(AllZero(context.m_szExePath, sizeof context.m_szExePath));
    EXPECT_TRUE(context.m_jobs.empty());
    EXPECT_EQ(context.m_bSelfUpdate, 0);
}

TEST(UpdateContext, InitPathsRecordsCurrentFolderAndOwnExecutable)
{
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(temp));

    CUpdateContext context;
    EXPECT_TRUE(context.InitPaths());
    char expectedDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, expectedDir);
    SetCurrentDirectoryA(previous);

    EXPECT_STREQ(context.m_szDir, expectedDir);
    std::string exe = context.m_szExePath;
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(_stricmp(exe.substr(exe.size() - 4).c_str(), ".exe"), 0) << exe;
    EXPECT_EQ(GetFileAttributesA(exe.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << exe;
    EXPECT_NE(exe.find("engine_core_context_test"), std::string::npos) << exe;
}

TEST(JobQueue, BuildsLocalPathKeepsUrlAndFlagAndLeavesNoDigest)
{
    CUpdateContext context = ContextIn("C:\\Jeux\\Velmora");
    context.AddJob("filelist.new", "files/pc/filelist.txt?t=1700000000123", 0);
    context.AddJob("filelist.sig", "files/pc/filelist.txt.sig?t=1700000000123", 1);

    ASSERT_EQ(context.m_jobs.size(), 2u);
    const DOWNLOAD_JOB& list = context.m_jobs.front();
    EXPECT_STREQ(list.szLocalPath, "C:\\Jeux\\Velmora\\filelist.new");
    EXPECT_STREQ(list.szUrlPath, "files/pc/filelist.txt?t=1700000000123");
    EXPECT_EQ(list.bOptional, 0);
    EXPECT_EQ(list.dwSize, 0u);
    EXPECT_TRUE(AllZero(list.szMd5, sizeof list.szMd5));
    // The rest of each buffer stays zero: nothing of an earlier record leaks into the job.
    size_t used = strlen(list.szLocalPath);
    EXPECT_TRUE(AllZero(list.szLocalPath + used, sizeof list.szLocalPath - used));
    used = strlen(list.szUrlPath);
    EXPECT_TRUE(AllZero(list.szUrlPath + used, sizeof list.szUrlPath - used));

    EXPECT_EQ(context.m_jobs.back().bOptional, 1);
    EXPECT_EQ(context.m_bSelfUpdate, 0);
}

TEST(JobQueue, NameIsUsedAsGivenWithItsSlashes)
{
    CUpdateContext context = ContextIn("D:\\Game");
    context.AddJob("data/maps/Big Map.res", "files/pc/data/data/maps/Big%20Map.res", 0);
    ASSERT_EQ(context.m_jobs.size(), 1u);
    EXPECT_STREQ(context.m_jobs.front().szLocalPath, "D:\\Game\\data/maps/Big Map.res");
}

TEST(JobQueue, PathsThatDoNotFitAreRefusedNotCut)
{
    const std::string dir = "C:\\" + std::string(247, 'd');
    ASSERT_EQ(dir.size(), 250u);
    CUpdateContext context = ContextIn(dir);
    // 259 characters fit; one more would have been cut to a name of some other file.
    EXPECT_TRUE(context.AddJob("abcdefgh", "x", 0));
    EXPECT_FALSE(context.AddJob("abcdefghi", "y", 0));
    EXPECT_FALSE(context.AddJob("filelist.sig", "y", 1));
    std::string url(782, 'u');
    EXPECT_TRUE(context.AddJob("a", url.c_str(), 1));
    url += 'u';
    EXPECT_FALSE(context.AddJob("b", url.c_str(), 1));

    ASSERT_EQ(context.m_jobs.size(), 2u);
    EXPECT_EQ(std::string(context.m_jobs.front().szLocalPath), dir + "\\abcdefgh");
    EXPECT_EQ(strlen(context.m_jobs.front().szLocalPath), 259u);
    EXPECT_EQ(std::string(context.m_jobs.back().szUrlPath), url.substr(0, 782));
}

TEST(JobQueue, DriveRootGetsNoSecondBackslash)
{
    CUpdateContext context = ContextIn("M:\\");
    ASSERT_TRUE(context.AddJob("filelist.new", "files/pc/filelist.txt", 0));
    EXPECT_STREQ(context.m_jobs.front().szLocalPath, "M:\\filelist.new");
}

TEST(JobQueue, JobsKeepTheOrderInWhichTheyWereQueued)
{
    CUpdateContext context = ContextIn("C:\\G");
    const char* names[] = {"filelist.new", "filelist.sig", "Vers.txt", "a", "b", "c", "d"};
    for (const char* name : names)
        context.AddJob(name, (std::string("files/pc/") + name).c_str(), name[0] == 'f');

    ASSERT_EQ(context.m_jobs.size(), std::size(names));
    size_t i = 0;
    for (const DOWNLOAD_JOB& job : context.m_jobs) {
        EXPECT_EQ(std::string(job.szLocalPath), std::string("C:\\G\\") + names[i]);
        EXPECT_EQ(std::string(job.szUrlPath), std::string("files/pc/") + names[i]);
        ++i;
    }
}

} // namespace

namespace {

using namespace testsupport;

TEST(PathFit, FolderOfAPathKeepsTheBackslashOfADriveRoot)
{
    struct Case {
        const char* path;
        const char* folder; // nullptr: refused
    } cases[] = {
        {"D:\\Velmora World.exe", "D:\\"},
        {"D:\\Jeux\\Velmora World.exe", "D:\\Jeux"},
        {"D:\\Jeux\\Velmora\\V.exe", "D:\\Jeux\\Velmora"},
        {"\\\\server\\share\\V.exe", "\\\\server\\share"},
        {"\\V.exe", "\\"},
        {"V.exe", nullptr},
    };
    for (const Case& c : cases) {
        char folder[MAX_PATH];
        EXPECT_EQ(FolderOfPath(c.path, folder) != FALSE, c.folder != nullptr) << c.path;
        EXPECT_STREQ(folder, c.folder ? c.folder : "") << c.path;
    }
}

// "\x95\x5C" is one Shift-JIS character whose second byte is the backslash's code.
TEST(PathFit, ADoubleByteCharacterIsNeverTakenForABackslash)
{
    const int previous = _getmbcp();
    ASSERT_EQ(_setmbcp(932), 0);
    char folder[MAX_PATH] = "";
    char path[MAX_PATH] = "";
    BOOL cut = FolderOfPath("C:\\Jeux\\\x95\x5C.exe", folder);
    BOOL joined = JoinFolderPath(path, "C:\\\x95\x5C", "Vorn.exe");
    _setmbcp(previous);
    EXPECT_TRUE(cut);
    EXPECT_STREQ(folder, "C:\\Jeux");
    EXPECT_TRUE(joined);
    EXPECT_STREQ(path, "C:\\\x95\x5C\\Vorn.exe");
}

TEST(PathFit, WholeTextsOnly)
{
    char out[8];
    EXPECT_TRUE(FormatWhole(out, sizeof out, "%s.old", "abc"));
    EXPECT_STREQ(out, "abc.old");
    EXPECT_FALSE(FormatWhole(out, sizeof out, "%s.old", "abcd"));
    EXPECT_STREQ(out, "");

    char path[MAX_PATH];
    EXPECT_TRUE(JoinFolderPath(path, "C:\\Jeux", "Vorn.exe"));
    EXPECT_STREQ(path, "C:\\Jeux\\Vorn.exe");
    EXPECT_FALSE(JoinFolderPath(path, ("C:\\" + std::string(250, 'd')).c_str(), "Vorn.exe"));
    EXPECT_STREQ(path, "");

    // This test program's own path fits: it is given whole.
    ASSERT_TRUE(GetOwnExePath(path));
    EXPECT_EQ(GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY, 0u) << path;
    EXPECT_NE(std::string(path).find("engine_core_context_test"), std::string::npos) << path;
}

// Run by the next test, from a copy of this program whose path is too long for the buffer.
TEST(PathFit, DISABLED_OwnPathCutByTheSystem)
{
    char path[MAX_PATH];
    memset(path, 'x', sizeof path);
    EXPECT_FALSE(GetOwnExePath(path));
    EXPECT_STREQ(path, "");
}

TEST(PathFit, OwnPathTooLongForTheBufferIsRefused)
{
    std::string base = ScratchDir() + "\\";
    std::string folder = base + std::string(240 - base.size(), 'L');
    ASSERT_TRUE(RemoveLongTree(folder));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    char self[MAX_PATH];
    ASSERT_TRUE(GetOwnExePath(self));
    std::string copy = folder + "\\engine_core_context_test.exe";
    ASSERT_GT(copy.size(), 260u);
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));

    std::string exitCodeFile = base + "exit-code.txt";
    DeleteFileA(exitCodeFile.c_str());
    ASSERT_TRUE(StartThroughUnixShell(copy, "--gtest_also_run_disabled_tests --gtest_filter=PathFit.DISABLED_OwnPathCutByTheSystem",
                                      folder, exitCodeFile));
    std::string exitCode;
    ASSERT_TRUE(WaitFor([&] { return !(exitCode = ReadIfReadable(exitCodeFile)).empty(); }, 60000)) << "the copy did not end";
    EXPECT_EQ(exitCode, "0\n") << "the copy took its cut path for a whole one";
    EXPECT_TRUE(RemoveLongTree(folder));
}

} // namespace
