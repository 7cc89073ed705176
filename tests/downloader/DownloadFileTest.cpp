// One download attempt against the fault server: the request as the server sees it, resumption,
// status and length handling, digest, replacement of the target, folders, and what the window shows
// while a body arrives.
#include "DownloaderFixture.h"
#include "DownloadProbes.h"
#include <cmath>
#include <regex>

namespace {

class ImageMapping {
public:
    // Maps the file as an executable image, which is how a running program holds its file.
    explicit ImageMapping(const std::string& path) : m_mapping(NULL), m_view(NULL)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return;
        m_mapping = CreateFileMappingA(file, NULL, PAGE_READONLY | SEC_IMAGE, 0, 0, NULL);
        CloseHandle(file);
        if (m_mapping)
            m_view = MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0);
    }
    ~ImageMapping()
    {
        if (m_view)
            UnmapViewOfFile(m_view);
        if (m_mapping)
            CloseHandle(m_mapping);
    }
    bool Mapped() const { return m_view != NULL; }

private:
    HANDLE m_mapping;
    void* m_view;
};

std::string OwnExecutable()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return ReadWholeFile(path);
}

} // namespace

typedef DownloaderTest RequestTest;

TEST_F(RequestTest, GetOverHttp11OfTheJobsPathAndQueryAsGivenWithoutCaching)
{
    // The fault server looks its files up by the path as it came, escapes and all.
    const std::string name = "a%20b%C3%A9%2B.bin";
    std::string data = server->PublishRandom(name, 700, 27);
    DOWNLOAD_JOB& job = Queue(name);
    std::string url = server->Url(name) + "?t=1700000000123456";
    lstrcpynA(job.szUrlPath, url.c_str(), sizeof job.szUrlPath);

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local(name)) == data);
    std::vector<std::vector<std::string>> heads = RequestHeads(server->Url(name));
    ASSERT_EQ(1u, heads.size());
    const std::vector<std::string>& head = heads[0];
    EXPECT_EQ("GET /" + url + " HTTP/1.1", head[0]);
    EXPECT_EQ(std::vector<std::string>{"VelmoraWorld"}, HeaderValues(head, "User-Agent"));
    EXPECT_EQ(std::vector<std::string>{"*/*"}, HeaderValues(head, "Accept"));
    EXPECT_EQ(std::vector<std::string>{"127.0.0.2"}, HeaderValues(head, "Host"));
    EXPECT_EQ(std::vector<std::string>{"no-cache"}, HeaderValues(head, "Pragma"));
    EXPECT_TRUE(HeaderValues(head, "Range").empty());
}

TEST_F(RequestTest, RangeHeaderOnlyWhenAJobWithMd5Resumes)
{
    std::string data = server->PublishRandom("resumed.bin", 1500, 28);
    server->Publish("fresh.bin", data);
    DOWNLOAD_JOB& resumed = Queue("resumed.bin", Md5Of(data));
    DOWNLOAD_JOB& fresh = Queue("fresh.bin");
    ASSERT_TRUE(WriteWholeFile(Part("resumed.bin"), data.substr(0, 1000)));
    ASSERT_TRUE(WriteWholeFile(Part("fresh.bin"), data.substr(0, 1000)));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&resumed));
    EXPECT_EQ(DL_OK, updater().DownloadFile(&fresh));

    std::vector<std::vector<std::string>> heads = RequestHeads(server->Url("resumed.bin"));
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(std::vector<std::string>{"bytes=1000-"}, HeaderValues(heads[0], "Range"));
    EXPECT_EQ(std::vector<std::string>{"no-cache"}, HeaderValues(heads[0], "Pragma"));
    heads = RequestHeads(server->Url("fresh.bin"));
    ASSERT_EQ(1u, heads.size());
    EXPECT_TRUE(HeaderValues(heads[0], "Range").empty());
}

typedef DownloaderTest ResumeTest;

TEST_F(ResumeTest, PartialFileOfAJobWithMd5IsResumedWithARangeRequest)
{
    std::string data = server->PublishRandom("f.bin", 1500, 1);
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), data.substr(0, 1000)));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_EQ(1500u, job.dwSize);
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    EXPECT_FALSE(FileExists(Part("f.bin")));
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("bytes=1000-", requests[0].range);
    EXPECT_EQ(206, requests[0].status);
    EXPECT_EQ(500, requests[0].sent);
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin") + ", 0(th), 0bytes, resume at 1000"));
}

TEST_F(ResumeTest, AnswerOf200ToARangeRequestTruncatesThePartAndStartsOver)
{
    std::string data = server->PublishRandom("f.bin", 1500, 2);
    server->SetRules({"f.bin ignore-range"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), std::string(1000, 'x')));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_EQ(1500u, job.dwSize);
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("bytes=1000-", requests[0].range);
    EXPECT_EQ(200, requests[0].status);
}

TEST_F(ResumeTest, Answer416DeletesThePartAndTheNextAttemptFetchesTheWholeFile)
{
    std::string data = server->PublishRandom("f.bin", 1500, 3);
    server->SetRules({"f.bin range-status 416", "f.bin normal"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), data.substr(0, 1000)));

    EXPECT_EQ(DL_INCOMPLETE, updater().DownloadFile(&job));
    EXPECT_FALSE(FileExists(Part("f.bin")));
    EXPECT_FALSE(FileExists(Local("f.bin")));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(416, requests[0].status);
    EXPECT_EQ("-", requests[1].range);
    EXPECT_EQ(200, requests[1].status);
    EXPECT_EQ(1500, requests[1].sent);
}

TEST_F(ResumeTest, ResumedAnswerWithoutLengthKeepsTheListedSizeForTheNextAttempt)
{
    std::string data = server->PublishRandom("f.bin", 1500, 29);
    server->SetRules({"f.bin no-length -100", "f.bin normal"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    job.dwSize = 1500;
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), data.substr(0, 1000)));

    EXPECT_EQ(DL_OK, updater().DownloadWithRetry(&job));

    EXPECT_EQ(1500u, job.dwSize);
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(206, requests[0].status);
    EXPECT_EQ(400, requests[0].sent);
    EXPECT_EQ("bytes=1400-", requests[1].range);
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin") + ": truncated (1400/1500), will resume"));
}

TEST_F(ResumeTest, JobWithoutMd5NeverResumes)
{
    std::string data = server->PublishRandom("f.bin", 1500, 4);
    DOWNLOAD_JOB& job = Queue("f.bin");
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), data.substr(0, 1000)));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("-", requests[0].range);
    EXPECT_EQ(1500, requests[0].sent);
}

TEST_F(ResumeTest, JobWithoutMd5DoesNotResumeAPartThatCannotBeDeleted)
{
    std::string data = server->PublishRandom("f.bin", 1500, 25);
    DOWNLOAD_JOB& job = Queue("f.bin");
    // Left by some other version of the file; read-only, so that deleting it fails.
    ASSERT_TRUE(WriteWholeFile(Part("f.bin"), std::string(1000, 'x')));
    ASSERT_TRUE(SetFileAttributesA(Part("f.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_FALSE(DeleteFileA(Part("f.bin").c_str()));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("-", requests[0].range);
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin") + ", 0(th), 0bytes, resume at 0"));
}

TEST_F(ResumeTest, PartThatIsAFolderIsNotResumedAndCannotBeOpened)
{
    std::string data = server->PublishRandom("f.bin", 1500, 5);
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(CreateDirectoryA(Part("f.bin").c_str(), NULL));

    EXPECT_EQ(DL_FILE_OPEN_FAILED, updater().DownloadFile(&job));

    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("-", requests[0].range);
    EXPECT_FALSE(FileExists(Local("f.bin")));
}

TEST_F(ResumeTest, TwentyCutsGiveAByteExactFileWithoutFetchingAStoredByteAgain)
{
    const size_t size = 400000;
    std::string data = server->PublishRandom("f.bin", size, 6);
    std::vector<long long> cuts;
    std::vector<std::string> rules;
    for (int i = 1; i <= 20; ++i) {
        // Uneven offsets, some inside the first block of a resumed answer, some far into it.
        long long cut = i * 19000LL + (i * i * 37) % 5000 + (i % 3 == 0 ? 1 : 0);
        cuts.push_back(cut);
        rules.push_back("f.bin cut " + std::to_string(cut));
    }
    rules.push_back("f.bin normal");
    server->SetRules(rules);
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));

    DownloadResult result = DL_INCOMPLETE;
    for (int call = 0; call < 4 && result == DL_INCOMPLETE; ++call)
        result = updater().DownloadWithRetry(&job);

    ASSERT_EQ(DL_OK, result);
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(21u, requests.size());
    EXPECT_EQ("-", requests[0].range);
    long long received = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
        if (i > 0) {
            EXPECT_EQ("bytes=" + std::to_string(cuts[i - 1]) + "-", requests[i].range) << "request " << i;
            EXPECT_EQ(206, requests[i].status);
        }
        received += requests[i].sent;
    }
    EXPECT_EQ((long long)size, received);
}

typedef DownloaderTest AnswerTest;

TEST_F(AnswerTest, OptionalJobAnswered404LeavesAnEmptyTarget)
{
    server->SetRules({"f.bin status 404"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of("anything"), 1);
    ASSERT_TRUE(WriteWholeFile(Local("f.bin"), "an older version"));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_EQ(0, SizeOf(Local("f.bin")));
    EXPECT_FALSE(FileExists(Part("f.bin")));
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin") + " : HTTP 404, fichier vide"));
}

TEST_F(AnswerTest, MissingFileOrUnaskedPartialAnswerIsNotOnServer)
{
    std::string data = server->PublishRandom("partial.bin", 800, 7);
    server->SetRules({"missing.bin status 404", "partial.bin always-206"});
    DOWNLOAD_JOB& missing = Queue("missing.bin");
    DOWNLOAD_JOB& partial = Queue("partial.bin");
    ASSERT_TRUE(WriteWholeFile(Local("missing.bin"), "kept"));

    EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadFile(&missing));
    EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadFile(&partial));

    EXPECT_EQ("kept", ReadWholeFile(Local("missing.bin")));
    EXPECT_FALSE(FileExists(Local("partial.bin")));
    ASSERT_EQ(1u, server->Requests("partial.bin").size());
    EXPECT_EQ(206, server->Requests("partial.bin")[0].status);
}

TEST_F(AnswerTest, MissingContentLengthKeepsTheExpectedSizeAndChecksNothing)
{
    std::string data = server->PublishRandom("unsized.bin", 3000, 8);
    server->Publish("listed.bin", data);
    server->SetRules({"unsized.bin no-length", "listed.bin no-length"});
    DOWNLOAD_JOB& unsized = Queue("unsized.bin");
    DOWNLOAD_JOB& listed = Queue("listed.bin");
    listed.dwSize = 3000;

    EXPECT_EQ(DL_OK, updater().DownloadFile(&unsized));
    EXPECT_EQ(DL_OK, updater().DownloadFile(&listed));

    EXPECT_EQ(1u, unsized.dwSize);
    EXPECT_EQ(3000u, listed.dwSize);
    EXPECT_TRUE(ReadWholeFile(Local("unsized.bin")) == data);
    EXPECT_TRUE(ReadWholeFile(Local("listed.bin")) == data);
}

TEST_F(AnswerTest, EmptyBodyOfAnUnsizedJobGivesAnEmptyFile)
{
    server->Publish("empty.bin", "");
    DOWNLOAD_JOB& job = Queue("empty.bin");

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_EQ(0, SizeOf(Local("empty.bin")));
    EXPECT_EQ(0u, job.dwSize);
}

TEST_F(AnswerTest, BodyOneByteShortIsIncompleteAndKeepsThePart)
{
    std::string data = server->PublishRandom("f.bin", 5000, 9);
    server->SetRules({"f.bin short 1"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));

    EXPECT_EQ(DL_INCOMPLETE, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Part("f.bin")) == data.substr(0, 4999));
    EXPECT_FALSE(FileExists(Local("f.bin")));
}

TEST_F(AnswerTest, BodyOneByteLongerThanExpectedIsAccepted)
{
    std::string data = server->PublishRandom("f.bin", 5000, 10);
    server->SetRules({"f.bin no-length 1"});
    DOWNLOAD_JOB& job = Queue("f.bin");
    job.dwSize = 5000;

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_EQ(5001, SizeOf(Local("f.bin")));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")).substr(0, 5000) == data);
}

TEST_F(AnswerTest, WrongBytesGiveBadMd5DeleteThePartAndKeepTheTarget)
{
    std::string data = server->PublishRandom("f.bin", 5000, 11);
    server->SetRules({"f.bin wrong"});
    std::string inverted = data;
    for (char& c : inverted)
        c = (char)~c;
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(WriteWholeFile(Local("f.bin"), "previous"));

    EXPECT_EQ(DL_BAD_MD5, updater().DownloadFile(&job));

    EXPECT_FALSE(FileExists(Part("f.bin")));
    EXPECT_EQ("previous", ReadWholeFile(Local("f.bin")));
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin") + ": md5 " + Md5Of(inverted) +
                                                   " au lieu de " + Md5Of(data) + ", efface"));
}

TEST_F(AnswerTest, RulesWrittenByAnotherTestDoNotStartThisTestsQueueOver)
{
    // Test programs run in parallel against one fault server.
    std::string data = server->PublishRandom("f.bin", 700, 26);
    server->SetRules({"f.bin status 404", "f.bin normal"});
    DOWNLOAD_JOB& job = Queue("f.bin");
    ASSERT_EQ(DL_NOT_ON_SERVER, updater().DownloadFile(&job));

    FaultServer neighbour("AnswerTest.Neighbour");
    neighbour.SetRules({"g.bin status 500"});

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
}

typedef DownloaderTest ReplaceTest;

TEST_F(ReplaceTest, ReadOnlyTargetIsReplaced)
{
    std::string data = server->PublishRandom("f.bin", 2000, 12);
    DOWNLOAD_JOB& job = Queue("f.bin");
    ASSERT_TRUE(WriteWholeFile(Local("f.bin"), "old"));
    ASSERT_TRUE(SetFileAttributesA(Local("f.bin").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    EXPECT_FALSE(FileExists(Local("f.bin.old")));
}

TEST_F(ReplaceTest, TargetHeldLikeARunningProgramIsMovedToOldReplacingAnOlderOne)
{
    std::string data = server->PublishRandom("f.bin", 2000, 13);
    DOWNLOAD_JOB& job = Queue("f.bin");
    std::string running = OwnExecutable();
    ASSERT_TRUE(WriteWholeFile(Local("f.bin"), running));
    ASSERT_TRUE(WriteWholeFile(Local("f.bin.old"), "from an earlier update"));
    ASSERT_TRUE(SetFileAttributesA(Local("f.bin.old").c_str(), FILE_ATTRIBUTE_READONLY));
    ImageMapping image(Local("f.bin"));
    ASSERT_TRUE(image.Mapped());
    ASSERT_FALSE(DeleteFileA(Local("f.bin").c_str())) << "a mapped image should not be deletable";

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    EXPECT_TRUE(ReadWholeFile(Local("f.bin.old")) == running);
}

TEST_F(ReplaceTest, TargetThatCanNeitherBeDeletedNorMovedIsAWriteFailure)
{
    std::string data = server->PublishRandom("f.bin", 2000, 14);
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    ASSERT_TRUE(WriteWholeFile(Local("f.bin"), "locked"));
    HANDLE locked = CreateFileA(Local("f.bin").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);

    EXPECT_EQ(DL_WRITE_FAILED, updater().DownloadFile(&job));

    CloseHandle(locked);
    EXPECT_EQ("locked", ReadWholeFile(Local("f.bin")));
    EXPECT_TRUE(ReadWholeFile(Part("f.bin")) == data);
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": ni efface ni renomme ("));
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": MoveFile failed ("));
}

TEST_F(ReplaceTest, MissingFoldersAreMadeFirst)
{
    std::string data = server->PublishRandom("f.bin", 100, 15);
    DOWNLOAD_JOB job = MakeJob(folder.Path("a\\b\\f.bin"), server->Url("f.bin"));
    context.m_jobs.push_back(job);

    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));
    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));

    EXPECT_TRUE(ReadWholeFile(Local("a\\b\\f.bin")) == data);
}

TEST_F(ReplaceTest, FolderThatCannotBeMadeFailsBeforeAnyRequest)
{
    server->Publish("f.bin", "data");
    ASSERT_TRUE(WriteWholeFile(Local("blocker"), "a file where a folder should be"));
    DOWNLOAD_JOB job = MakeJob(folder.Path("blocker\\sub\\f.bin"), server->Url("f.bin"));
    context.m_jobs.push_back(job);

    EXPECT_EQ(DL_MKDIR_FAILED, updater().DownloadFile(&job));

    EXPECT_EQ(std::string::npos, LogText(folder.Path()).find(server->Url("f.bin")));
}

TEST(FullDiskTest, WriteThatDoesNotFitIsAWriteFailureAndKeepsThePart)
{
    std::string root = BuildPath("fulldisk");
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExA((root + "\\").c_str(), &available, &total, NULL));
    if (total.QuadPart > 4u * 1024 * 1024)
        GTEST_SKIP() << "no small file system is mounted on " << root << " (the fixture could not mount one)";

    g_bFrench = 0;
    CurrentFolder folder(root);
    FaultServer server("FullDiskTest");
    std::string data = server.PublishRandom("big.bin", 1024 * 1024, 16);
    CUpdateContext context;
    context.m_jobs.push_back(MakeJob(folder.Path("big.bin"), server.Url("big.bin"), Md5Of(data)));
    CTestLauncherDlg dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.m_pUpdater->m_strHost = FaultServer::Host();
    dlg.m_pUpdater->m_pContext = &context;
    ASSERT_TRUE(dlg.m_pUpdater->Connect());

    EXPECT_EQ(DL_WRITE_FAILED, dlg.m_pUpdater->DownloadFile(&context.m_jobs.back()));

    long long kept = SizeOf(folder.Path("big.bin.part"));
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, (long long)data.size());
    EXPECT_FALSE(FileExists(folder.Path("big.bin")));
    dlg.DestroyWindow();
}

typedef DownloaderTest ProgressTest;

TEST_F(ProgressTest, SpeedIsShownOnlyAfterMoreThan100msAndBarsEndAt100)
{
    server->PublishRandom("quick.bin", 300, 17);
    server->PublishRandom("slow.bin", 96 * 1024, 18);
    server->SetRules({"slow.bin slow 8192 50"});
    DOWNLOAD_JOB& quick = Queue("quick.bin");

    EXPECT_EQ(DL_OK, updater().DownloadFile(&quick));
    EXPECT_EQ("", TextOf(dlg.m_lblSpeed.m_hWnd));
    EXPECT_EQ(100, dlg.m_progressFile.SendMessage(PBM_GETPOS));

    context.m_jobs.clear();
    DOWNLOAD_JOB& slow = Queue("slow.bin");
    dlg.m_progressFile.SetPos(0);
    dlg.m_progressTotal.SetPos(0);
    EXPECT_EQ(DL_OK, updater().DownloadFile(&slow));

    std::string speed = TextOf(dlg.m_lblSpeed.m_hWnd);
    EXPECT_TRUE(std::regex_match(speed, std::regex(" *[0-9]+\\.[0-9]Kb/sec"))) << speed;
    EXPECT_EQ(100, dlg.m_progressFile.SendMessage(PBM_GETPOS));
    EXPECT_EQ(100, dlg.m_progressTotal.SendMessage(PBM_GETPOS));
    EXPECT_EQ("Downloading...", TextOf(dlg.m_lblStatus.m_hWnd));
}

TEST_F(ProgressTest, BarsRiseAtMostEvery100msToTheFilesAndTheRunsShareAndTheSpeedKeepsItsForm)
{
    // The second of four jobs: the total bar runs from 25 to 50. A read returns a whole block
    // of 64 KiB: each is 1% of the file, and comes 20 ms after the one before.
    server->PublishRandom("slow.bin", 100 * DOWNLOAD_CHUNK_SIZE, 19);
    server->SetRules({"slow.bin slow 65536 20"});
    for (int i = 0; i < 3; ++i)
        Queue("other" + std::to_string(i) + ".bin");
    DOWNLOAD_JOB& job = Queue("slow.bin");
    updater().m_nDone = 1;
    ProgressRecorder shown(dlg.m_progressFile.m_hWnd, dlg.m_progressTotal.m_hWnd, dlg.m_lblSpeed.m_hWnd);

    DWORD start = GetTickCount();
    EXPECT_EQ(DL_OK, updater().DownloadFile(&job));
    DWORD elapsed = GetTickCount() - start;

    std::vector<int> files = shown.FilePositions();
    std::vector<int> totals = shown.TotalPositions();
    ASSERT_EQ(files.size(), totals.size());
    ASSERT_GE(files.size(), 3u);
    // Sent more than 100 ms apart while the body came, then once more at its end.
    EXPECT_LE(files.size(), elapsed / SPEED_REFRESH_MS + 1) << elapsed << " ms";
    EXPECT_EQ(100, files.back());
    EXPECT_EQ(50, totals.back());
    EXPECT_LT(files.front(), 100);
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_GE(files[i], 0);
        EXPECT_LE(files[i], 100);
        if (i > 0) {
            EXPECT_GE(files[i], files[i - 1]) << "position " << i;
        }
        EXPECT_EQ((int)std::floor((100 + files[i]) / 4.0 + 0.5), totals[i]) << "position " << i;
    }
    std::vector<std::string> speeds = shown.SpeedTexts();
    ASSERT_GE(speeds.size(), 2u);
    for (const std::string& speed : speeds) {
        EXPECT_TRUE(std::regex_match(speed, std::regex(" *[0-9]+\\.[0-9]Kb/sec"))) << speed;
        EXPECT_GT(atof(speed.c_str()), 0.0) << speed;
    }
}
