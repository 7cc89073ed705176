// CUpdateContext::BuildDownloadList and PromoteFileList over real files in a scratch game folder.
#include <windows.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GameFolder.h"
#include "tests/support/Content.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "engine/FileList.h"
#include "engine/Md5.h"
#include "engine/UpdateContext.h"
#include "launcher/TarnwickDlg.h"

using namespace testsupport;
using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

const char kOtherMd5[] = "ffffffffffffffffffffffffffffffff";

std::vector<std::string> g_hashed;

BOOL RecordingDigest(const char* path, char out[33]) {
    g_hashed.push_back(path);
    return ComputeFileMd5(path, out);
}

class BuildList : public ::testing::Test {
protected:
    BuildList() {
        g_hashed.clear();
        SetListDigestHook(RecordingDigest);
        g_pMainDlg = &m_dlg;
    }
    ~BuildList() override {
        g_pMainDlg = nullptr;
        SetListDigestHook(nullptr);
    }

    // Starts over in a game folder whose path is exactly `length` characters long.
    void UseFolderOfLength(size_t length) {
        m_game.reset();
        const size_t base = ScratchGameFolder().Path().size();
        ASSERT_GT(length, base + 1);
        m_game.reset(new ScratchGameFolder(std::string(length - base - 1, 'd')));
        ASSERT_EQ(m_game->Path().size(), length);
    }

    // Writes the game client and returns its (current) entry line.
    std::string CurrentClient() {
        const std::string content = "the game client";
        return ListEntry("Vorn.exe", content.size(), m_game->Put("Vorn.exe", content));
    }

    ListCheckResult Build(const std::string& newList) {
        m_game->Put("filelist.new", newList);
        return g_update.BuildDownloadList();
    }

    std::vector<std::string> JobPaths() const {
        std::vector<std::string> paths;
        for (const DOWNLOAD_JOB& job : g_update.m_jobs)
            paths.push_back(job.szLocalPath);
        return paths;
    }

    std::string P(const std::string& name) const { return m_game->Path(name); }
    std::vector<std::string> Log() const { return LogMessages(m_game->Path()); }

    std::unique_ptr<ScratchGameFolder> m_game{new ScratchGameFolder};
    CTarnwickDlg m_dlg;
};

// --- Which lists are refused -------------------------------------------------------------

TEST_F(BuildList, MissingListLeavesNoJobAndNoLogLine) {
    g_update.AddJob("left over", "files/pc/filelist.txt", 0);
    g_update.m_bSelfUpdate = 1;
    EXPECT_EQ(g_update.BuildDownloadList(), LIST_MISSING);
    EXPECT_TRUE(g_update.m_jobs.empty());
    EXPECT_EQ(g_update.m_bSelfUpdate, 0);
    EXPECT_TRUE(Log().empty());
}

TEST_F(BuildList, EmptyOrCommentOnlyListIsRefusedWithCountZero) {
    for (const char* list : {"", "# only a comment\n\n\r\n#defaut|\n# another\n"}) {
        SCOPED_TRACE(list);
        DeleteFileA("PatchLog.txt");
        EXPECT_EQ(Build(list), LIST_INVALID);
        EXPECT_TRUE(g_update.m_jobs.empty());
        EXPECT_THAT(Log(), ElementsAre("liste sans Vorn.exe (0 fichiers) : refusee"));
    }
}

TEST_F(BuildList, GameClientMustBeAnOrdinaryTopLevelEntry) {
    const std::string md5 = m_game->Put("Vorn.exe", "x");
    const struct { std::string list; ListCheckResult expected; int count; } cases[] = {
        {"#defaut|" + ListEntry("Vorn.exe", 1, md5), LIST_INVALID, 1},
        {ListEntry("bin/Vorn.exe", 1, md5), LIST_INVALID, 1},
        {ListEntry("xVorn.exe", 1, md5) + ListEntry("Vorn.exe.bak", 1, md5), LIST_INVALID, 2},
        {ListEntry("VORN.EXE", 1, md5), LIST_OK, 0},
        {ListEntry("vorn.exe", 1, md5), LIST_OK, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        DeleteFileA("PatchLog.txt");
        EXPECT_EQ(Build(c.list), c.expected);
        if (c.expected == LIST_INVALID) {
            EXPECT_TRUE(g_update.m_jobs.empty());
            EXPECT_THAT(Log(),
                        Contains("liste sans Vorn.exe (" + std::to_string(c.count) +
                                            " fichiers) : refusee"));
        }
    }
}

TEST_F(BuildList, EveryKindOfInvalidLineRefusesTheWholeList) {
    const std::string md5(32, 'a');
    const std::string name161(161, 'n');
    const struct { std::string line; std::string logged; } cases[] = {
        {"   \n", "   "},
        {"two|fields\n", "two"},
        {"a|12x|" + md5 + "\n", "a"},
        {"a||" + md5 + "\n", "a"},
        {"a|1|" + std::string(31, 'a') + "\n", "a"},
        {"a|1|" + std::string(33, 'a') + "\n", "a"},
        {"a|1|" + std::string(31, 'a') + "A\n", "a"},
        {"/a|1|" + md5 + "\n", "/a"},
        {"a\\b|1|" + md5 + "\n", "a\\b"},
        {"a:b|1|" + md5 + "\n", "a:b"},
        {"a//b|1|" + md5 + "\n", "a//b"},
        {"a/|1|" + md5 + "\n", "a/"},
        {"./a|1|" + md5 + "\n", "./a"},
        {"a/../b|1|" + md5 + "\n", "a/../b"},
        {name161 + "|1|" + md5 + "\n", name161},
        {"#defaut|../x|1|" + md5 + "\n", "#defaut|../x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteFileA("PatchLog.txt");
        // Entries before the bad line need downloads; none of them may survive.
        const std::string list = CurrentClient() + ListEntry("missing.dat", 3, md5) + c.line +
                                 ListEntry("after.dat", 3, md5);
        EXPECT_EQ(Build(list), LIST_INVALID);
        EXPECT_TRUE(g_update.m_jobs.empty());
        EXPECT_THAT(Log(),
                    ElementsAre("NeedDownload: missing.dat", "liste invalide : " + c.logged));
    }
}

TEST_F(BuildList, LongestNameAndTripleDotSegmentAreAccepted) {
    const std::string name160 = "data/.../" + std::string(151, 'n');
    ASSERT_EQ(name160.size(), 160u);
    EXPECT_EQ(Build(CurrentClient() + ListEntry(name160, 1, kOtherMd5)), LIST_OK);
    EXPECT_THAT(JobPaths(), ElementsAre(P(name160)));
}

TEST_F(BuildList, ByteOrderMarkIsRefused) {
    const std::string list = "\xEF\xBB\xBF" + CurrentClient();
    EXPECT_EQ(Build(list), LIST_INVALID);
    EXPECT_TRUE(g_update.m_jobs.empty());
}

TEST_F(BuildList, CharactersTheFileSystemRefusesStillPassTheListCheck) {
    EXPECT_EQ(Build(CurrentClient() + ListEntry("what?*<>.dat", 1, kOtherMd5)), LIST_OK);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "files/pc/data/what%3F%2A%3C%3E.dat");
}

// --- How the file is read ----------------------------------------------------------------

TEST_F(BuildList, CrLfAndLfListsGiveTheSameJobs) {
    const std::string client = CurrentClient();
    const std::string rest = ListEntry("a.dat", 1, kOtherMd5) + "# note\n\n" +
                             ListEntry("sub/b.dat", 2, kOtherMd5);
    ASSERT_EQ(Build(client + rest), LIST_OK);
    const std::vector<std::string> lfJobs = JobPaths();

    std::string crlf;
    for (char c : client + rest) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    ASSERT_EQ(Build(crlf), LIST_OK);
    EXPECT_EQ(JobPaths(), lfJobs);
    EXPECT_THAT(lfJobs, ElementsAre(P("a.dat"), P("sub/b.dat")));
}

TEST_F(BuildList, PhysicalLineOverTheReadSizeIsExaminedInPieces) {
    // 1023 bytes of comment, then the game client's entry on the same physical line: the
    // entry is only seen if reads stop after exactly 1023 bytes.
    const std::string client = CurrentClient();
    const std::string comment = "#" + std::string(1022, 'c');
    EXPECT_EQ(Build(comment + client), LIST_OK);
    EXPECT_TRUE(g_update.m_jobs.empty());

    // One byte less of comment and the first piece takes the entry's "V" with it, leaving
    // "orn.exe", which is not the game client.
    EXPECT_EQ(Build("#" + std::string(1021, 'c') + client), LIST_INVALID);
    EXPECT_THAT(Log(),
                Contains("liste sans Vorn.exe (1 fichiers) : refusee"));

    // A long line without "#" breaks into pieces that are entries without "|".
    EXPECT_EQ(Build(client + std::string(1500, 'z') + "|1|" + std::string(kOtherMd5) + "\n"),
              LIST_INVALID);
    EXPECT_THAT(Log(), Contains("liste invalide : " + std::string(1023, 'z')));
}

TEST_F(BuildList, LocalPathMustFitIn259Characters) {
    UseFolderOfLength(150);
    // 150 + "\\" + 108 = 259 characters: the longest local path that fits.
    std::string name = std::string(98, 'p') + "/long.data";
    ASSERT_EQ(name.size(), 108u);
    EXPECT_EQ(Build(CurrentClient() + ListEntry(name, 1, kOtherMd5)), LIST_OK);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_EQ(std::string(g_update.m_jobs.front().szLocalPath), P(name));
    EXPECT_EQ(strlen(g_update.m_jobs.front().szLocalPath), 259u);

    DeleteFileA("PatchLog.txt");
    name = "x" + name;
    EXPECT_EQ(Build(CurrentClient() + ListEntry(name, 1, kOtherMd5)), LIST_INVALID);
    EXPECT_TRUE(g_update.m_jobs.empty());
    EXPECT_THAT(Log(), ElementsAre("liste invalide : " + name));
}

// --- The per-file decision and the digest cache ------------------------------------------

TEST_F(BuildList, UnchangedDigestInTheInstalledListSkipsHashing) {
    const std::string client = CurrentClient();
    const std::string listed = m_game->Put("maps/world.map", "original map");
    // Changed locally behind the launcher's back, same size: still taken as current.
    m_game->Put("maps/world.map", "modified map");
    m_game->Put("filelist.txt", client + ListEntry("maps/world.map", 12, listed));

    EXPECT_EQ(Build(client + ListEntry("maps/world.map", 12, listed)), LIST_OK);
    EXPECT_TRUE(g_update.m_jobs.empty());
    EXPECT_TRUE(g_hashed.empty());
}

TEST_F(BuildList, FilesAreHashedWhenTheInstalledListCannotVouchForThem) {
    const std::string client = CurrentClient();
    const std::string md5 = m_game->Put("same.dat", "same bytes");
    m_game->Put("changed.dat", "new bytes!");
    const std::string changedOld = Md5Of("old bytes!");
    const std::string newList = client + ListEntry("same.dat", 10, md5) +
                                ListEntry("changed.dat", 10, changedOld);

    // No installed list: every file of the right size is hashed; the changed one is queued.
    EXPECT_EQ(Build(newList), LIST_OK);
    EXPECT_THAT(g_hashed, ElementsAre(P("Vorn.exe"), P("same.dat"), P("changed.dat")));
    EXPECT_THAT(JobPaths(), ElementsAre(P("changed.dat")));

    // Installed list with another digest, another letter case, or a #defaut line: hashed.
    g_hashed.clear();
    m_game->Put("filelist.txt", client + ListEntry("same.dat", 10, kOtherMd5) +
                                   ListEntry("Changed.dat", 10, changedOld));
    EXPECT_EQ(Build(newList), LIST_OK);
    EXPECT_THAT(g_hashed, ElementsAre(P("same.dat"), P("changed.dat")));
    EXPECT_THAT(JobPaths(), ElementsAre(P("changed.dat")));

    g_hashed.clear();
    m_game->Put("filelist.txt", client + "#defaut|" + ListEntry("same.dat", 10, md5) +
                                   ListEntry("changed.dat", 10, changedOld));
    EXPECT_EQ(Build(newList), LIST_OK);
    EXPECT_THAT(g_hashed, ElementsAre(P("same.dat")));
    // The installed list said changed.dat had its listed digest: not hashed, not queued.
    EXPECT_TRUE(g_update.m_jobs.empty());
}

TEST_F(BuildList, LaterDuplicateAndBadLinesOfTheInstalledList) {
    const std::string client = CurrentClient();
    const std::string md5 = m_game->Put("a.dat", "aaaa");
    m_game->Put("filelist.txt", "\xEF\xBB\xBF garbage\n" + client + ListEntry("a.dat", 4, md5) +
                                   "not|a|line\n" + ListEntry("a.dat", 4, kOtherMd5));
    EXPECT_EQ(Build(client + ListEntry("a.dat", 4, md5)), LIST_OK);
    EXPECT_THAT(g_hashed, ElementsAre(P("a.dat")));
    EXPECT_TRUE(g_update.m_jobs.empty());

    g_hashed.clear();
    m_game->Put("filelist.txt", client + ListEntry("a.dat", 4, kOtherMd5) + ListEntry("a.dat", 4, md5));
    EXPECT_EQ(Build(client + ListEntry("a.dat", 4, md5)), LIST_OK);
    EXPECT_TRUE(g_hashed.empty());
}

TEST_F(BuildList, SizeMissingFolderAndDefaultEntriesDecideWithoutHashing) {
    const std::string client = CurrentClient();
    m_game->Put("filelist.txt", client);
    m_game->Put("short.dat", "abc");
    FreshFolder(m_game->Path("folder.dat"));
    m_game->Put("options.ini", "user settings, never replaced");
    const std::string list = client + ListEntry("short.dat", 4, kOtherMd5) +
                             ListEntry("absent.dat", 4, kOtherMd5) +
                             ListEntry("folder.dat", 0, kOtherMd5) +
                             "#defaut|" + ListEntry("options.ini", 1, kOtherMd5) +
                             "#defaut|" + ListEntry("new.ini", 1, kOtherMd5);
    EXPECT_EQ(Build(list), LIST_OK);
    EXPECT_TRUE(g_hashed.empty());
    EXPECT_THAT(JobPaths(), ElementsAre(P("short.dat"), P("absent.dat"), P("folder.dat"), P("new.ini")));
    EXPECT_THAT(Log(),
                ElementsAre("NeedDownload: short.dat", "NeedDownload: absent.dat",
                            "NeedDownload: folder.dat", "NeedDownload: new.ini"));
}

TEST_F(BuildList, FileOf4GiBOrMoreIsQueuedWhateverItsLowSizeBits) {
    // Low 32 bits of the size equal the listed size, and the installed list vouches for the
    // digest: only the high half of the size tells that the file is not the listed one.
    const std::string client = CurrentClient();
    m_game->Put("filelist.txt", client + ListEntry("huge.pak", 12, kOtherMd5));
    ASSERT_TRUE(MakeZeroFile(P("huge.pak"), 0x100000000LL + 12));
    EXPECT_EQ(Build(client + ListEntry("huge.pak", 12, kOtherMd5)), LIST_OK);
    EXPECT_TRUE(g_hashed.empty());
    EXPECT_THAT(JobPaths(), ElementsAre(P("huge.pak")));
    DeleteFileA(P("huge.pak").c_str());
}

TEST_F(BuildList, FileThatCannotBeHashedIsQueued) {
    const std::string client = CurrentClient();
    const std::string md5 = m_game->Put("locked.dat", "locked");
    HANDLE h = CreateFileA(P("locked.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const ListCheckResult result = Build(client + ListEntry("locked.dat", 6, md5));
    CloseHandle(h);
    EXPECT_EQ(result, LIST_OK);
    EXPECT_THAT(g_hashed, ElementsAre(P("Vorn.exe"), P("locked.dat")));
    EXPECT_THAT(JobPaths(), ElementsAre(P("locked.dat")));
}

TEST_F(BuildList, JobsCarryTheListedDataAndEscapedUrl) {
    const std::string client = CurrentClient();
    const std::string md5 = Md5Of("whatever");
    EXPECT_EQ(Build(client + ListEntry("data/Big Map.res", 4096, md5) +
                    "#defaut|" + ListEntry("Cfg/100% #1.ini", 7, kOtherMd5)),
              LIST_OK);
    ASSERT_EQ(g_update.m_jobs.size(), 2u);
    const DOWNLOAD_JOB& first = g_update.m_jobs.front();
    EXPECT_EQ(first.dwSize, 4096u);
    EXPECT_STREQ(first.szMd5, md5.c_str());
    EXPECT_EQ(std::string(first.szLocalPath), m_game->Path() + "\\data\\Big Map.res");
    EXPECT_STREQ(first.szUrlPath, "files/pc/data/data/Big%20Map.res");
    EXPECT_EQ(first.bOptional, 0);
    const DOWNLOAD_JOB& second = g_update.m_jobs.back();
    EXPECT_EQ(second.dwSize, 7u);
    EXPECT_STREQ(second.szMd5, kOtherMd5);
    EXPECT_EQ(std::string(second.szLocalPath), m_game->Path() + "\\Cfg\\100% #1.ini");
    EXPECT_STREQ(second.szUrlPath, "files/pc/data/Cfg/100%25%20%231.ini");
    EXPECT_EQ(second.bOptional, 0);
}

// --- Self-update -------------------------------------------------------------------------

TEST_F(BuildList, OutdatedLauncherBecomesTheOnlyJob) {
    const std::string client = CurrentClient();
    m_game->Put("Velmora World.exe", "old launcher");
    const std::string list = ListEntry("a.dat", 1, kOtherMd5) + client +
                             ListEntry("velmora world.EXE", 12, kOtherMd5) +
                             ListEntry("b.dat", 1, kOtherMd5);
    EXPECT_EQ(Build(list), LIST_OK);
    EXPECT_EQ(g_update.m_bSelfUpdate, 1);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_STREQ(g_update.m_jobs.front().szUrlPath, "files/pc/data/velmora%20world.EXE");
    EXPECT_THAT(Log(),
                ElementsAre("NeedDownload: a.dat", "NeedDownload: velmora world.EXE",
                            "NeedDownload: b.dat"));
}

TEST_F(BuildList, LauncherAtTheRootOfADriveIsFoundAmongTheJobs) {
    // The system reports a drive root with its backslash; the local paths must still come out
    // as the launcher's own path looks, or the self-update would pass for an ordinary file.
    // Nothing is written at the root: the files are missing, so both need a download.
    const std::string launcher = "velmora-root-" + std::to_string(GetCurrentProcessId()) + ".exe";
    strcpy(g_update.m_szDir, "C:\\");
    strcpy(g_update.m_szExePath, ("C:\\" + launcher).c_str());
    EXPECT_EQ(Build(ListEntry("Vorn.exe", 1, kOtherMd5) + ListEntry(launcher, 1, kOtherMd5) +
                    ListEntry("sub/a.dat", 1, kOtherMd5)),
              LIST_OK);
    EXPECT_EQ(g_update.m_bSelfUpdate, 1);
    ASSERT_EQ(g_update.m_jobs.size(), 1u);
    EXPECT_EQ(std::string(g_update.m_jobs.front().szLocalPath), "C:\\" + launcher);

    strcpy(g_update.m_szExePath, "C:\\elsewhere\\launcher.exe");
    EXPECT_EQ(Build(ListEntry("Vorn.exe", 1, kOtherMd5) + ListEntry("sub/a.dat", 1, kOtherMd5)), LIST_OK);
    EXPECT_THAT(JobPaths(), ElementsAre("C:\\Vorn.exe", "C:\\sub\\a.dat"));
}

TEST_F(BuildList, CurrentLauncherLeavesOtherJobsAlone) {
    const std::string client = CurrentClient();
    const std::string launcher = m_game->Put("Velmora World.exe", "new launcher");
    EXPECT_EQ(Build(client + ListEntry("Velmora World.exe", 12, launcher) + ListEntry("a.dat", 1, kOtherMd5)),
              LIST_OK);
    EXPECT_EQ(g_update.m_bSelfUpdate, 0);
    EXPECT_THAT(JobPaths(), ElementsAre(P("a.dat")));
}

TEST_F(BuildList, InvalidLineAfterTheLauncherLeavesNothing) {
    const std::string client = CurrentClient();
    EXPECT_EQ(Build(client + ListEntry("Velmora World.exe", 12, kOtherMd5) + "broken line\n"),
              LIST_INVALID);
    EXPECT_EQ(g_update.m_bSelfUpdate, 0);
    EXPECT_TRUE(g_update.m_jobs.empty());

    // Same without the game client: refused at the end, flag still 0.
    EXPECT_EQ(Build(ListEntry("Velmora World.exe", 12, kOtherMd5)), LIST_INVALID);
    EXPECT_EQ(g_update.m_bSelfUpdate, 0);
    EXPECT_TRUE(g_update.m_jobs.empty());
}

// --- The window: quit flag ---------------------------------------------------------------

TEST_F(BuildList, QuitFlagStopsAfterTheFirstEntry) {
    m_dlg.m_bQuit = TRUE;
    const std::string list = "# header\n\n" + ListEntry("Vorn.exe", 1, kOtherMd5) +
                             ListEntry("a.dat", 1, kOtherMd5) + ListEntry("b.dat", 1, kOtherMd5);
    EXPECT_EQ(Build(list), LIST_OK);
    EXPECT_THAT(JobPaths(), ElementsAre(P("Vorn.exe")));

    EXPECT_EQ(Build("# header\n" + ListEntry("a.dat", 1, kOtherMd5) + ListEntry("Vorn.exe", 1, kOtherMd5)),
              LIST_INVALID);
    EXPECT_THAT(Log(), Contains("liste sans Vorn.exe (1 fichiers) : refusee"));
    m_dlg.m_bQuit = FALSE;
}

// --- The window: file progress bar --------------------------------------------------------

std::vector<int> g_positions;
WNDPROC g_barProc;

LRESULT CALLBACK RecordingBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == PBM_SETPOS)
        g_positions.push_back(static_cast<int>(wParam));
    return CallWindowProcA(g_barProc, hwnd, msg, wParam, lParam);
}

TEST_F(BuildList, ProgressFollowsTheShareReadAfterEachEntryOnly) {
    const RECT rc = {0, 0, 200, 12};
    ASSERT_TRUE(m_dlg.m_progressFile.CreateEx(0, PROGRESS_CLASSA, NULL, WS_POPUP, rc, nullptr, 0));
    const HWND bar = m_dlg.m_progressFile.GetSafeHwnd();
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProc)));
    g_positions.clear();

    const struct { std::string text; bool entry; } lines[] = {
        {"# comment lines and empty lines move nothing\n", false},
        {CurrentClient(), true},
        {"\n", false},
        {ListEntry("a.dat", 1, kOtherMd5), true},
        {"#defaut|" + ListEntry("b.ini", 1, kOtherMd5), true},
        {"# trailing comment\n", false}};
    size_t length = 0;
    for (const auto& line : lines)
        length += line.text.size();
    std::string list;
    std::vector<int> expected;
    for (const auto& line : lines) {
        list += line.text;
        if (line.entry)
            expected.push_back(static_cast<int>(list.size() * 100.0 / length));
    }
    ASSERT_EQ(expected.size(), 3u);
    ASSERT_LT(expected.back(), 100);

    EXPECT_EQ(Build(list), LIST_OK);
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_barProc));
    m_dlg.m_progressFile.DestroyWindow();
    EXPECT_EQ(g_positions, expected);
}

// --- Promotion ---------------------------------------------------------------------------

TEST_F(BuildList, PromoteReplacesTheInstalledList) {
    m_game->Put("filelist.txt", "old list\n");
    m_game->Put("filelist.new", "new list\n");
    EXPECT_TRUE(PromoteFileList());
    EXPECT_EQ(ReadWholeFile(m_game->Path("filelist.txt")), "new list\n");
    EXPECT_FALSE(FileExists(m_game->Path("filelist.new")));

    // Nothing to promote: FALSE, and the installed list is kept.
    EXPECT_FALSE(PromoteFileList());
    EXPECT_EQ(ReadWholeFile(m_game->Path("filelist.txt")), "new list\n");
}

}  // namespace
