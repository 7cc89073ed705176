// The downloader against a server that misbehaves on purpose: bodies without end, lengths that
// contradict the list, redirects away from HTTPS, certificates that must not be trusted.
#include "DownloaderFixture.h"
#include "DownloadProbes.h"
#include "engine/Signature.h"
#include "tests/support/MessageBoxAnswerer.h"
#include <gmock/gmock.h>

using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {

// The fulldisk fixture's small file system (256 KiB): a ".part" that grew past its limit fills it.
bool SmallDiskMounted()
{
    ULARGE_INTEGER available, total;
    return GetDiskFreeSpaceExA((BuildPath("fulldisk") + "\\").c_str(), &available, &total, NULL) &&
           total.QuadPart <= 4u * 1024 * 1024;
}

} // namespace

class EndlessBodyTest : public DownloaderTest {
protected:
    void SetUp() override
    {
        if (!SmallDiskMounted())
            GTEST_SKIP() << "no small file system is mounted on " << BuildPath("fulldisk");
        DownloaderTest::SetUp();
        small.reset(new CurrentFolder(BuildPath("fulldisk")));
    }

    void TearDown() override
    {
        DownloaderTest::TearDown();
        small.reset();
    }

    // A job listed with the size and digest of 100,000 published bytes, kept on the small disk.
    DOWNLOAD_JOB& QueueListed(const std::string& file, unsigned seed)
    {
        std::string data = server->PublishRandom(file, 100000, seed);
        context.m_jobs.push_back(MakeJob(small->Path(file), server->Url(file), Md5Of(data)));
        context.m_jobs.back().dwSize = 100000;
        return context.m_jobs.back();
    }

    std::unique_ptr<CurrentFolder> small;
};

TEST_F(EndlessBodyTest, ListedFileStopsAtItsSizeAndIsABadFileChunkedOrClosed)
{
    DOWNLOAD_JOB& chunked = QueueListed("chunked.bin", 50);
    DOWNLOAD_JOB& closed = QueueListed("closed.bin", 51);
    DOWNLOAD_JOB& exact = QueueListed("exact.bin", 52);
    // Wine's WinINet reads what waits of a body it gives up, unless it ends by closing: a bounded one.
    server->SetRules({"chunked.bin endless chunked 20000000", "closed.bin endless close", "exact.bin no-length"});

    EXPECT_EQ(DL_BAD_MD5, updater().DownloadFile(&chunked));
    EXPECT_EQ(DL_BAD_MD5, updater().DownloadFile(&closed));
    // The listed size itself, ended by closing, is a good file.
    EXPECT_EQ(DL_OK, updater().DownloadFile(&exact));

    std::string log = LogText(small->Path());
    for (const char* file : {"chunked.bin", "closed.bin"}) {
        EXPECT_FALSE(FileExists(small->Path(file)));
        EXPECT_FALSE(FileExists(small->Path(std::string(file) + ".part")));
        EXPECT_NE(std::string::npos, log.find(server->Url(file) + ": plus de 100000 octets, efface")) << file;
        std::vector<ServedRequest> requests = server->Requests(file);
        ASSERT_EQ(1u, requests.size());
        EXPECT_GT(requests[0].sent, 100000) << file;
    }
    EXPECT_EQ(100000, SizeOf(small->Path("exact.bin")));
}

TEST_F(EndlessBodyTest, WorkerShowsTheUsualBadFileErrorAfterEightAttemptsAndGoesOn)
{
    QueueListed("f.bin", 53);
    server->SetRules({"f.bin endless close"});
    updater().CloseHandles();
    MessageBoxAnswerer user({IDOK, IDCANCEL});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nFailedPosted);
    std::vector<std::string> boxes = user.Texts();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_THAT(boxes[0], StartsWith("Downloaded file is corrupted (md5)\nCODE: "));
    EXPECT_THAT(boxes[0], EndsWith(" RESULT: 10"));
    EXPECT_EQ("Update interrupted. Retry?", boxes[1]);
    EXPECT_EQ(8u, server->Requests("f.bin").size());
    EXPECT_EQ(7u, waits.CountOf(DOWNLOAD_RETRY_DELAY_MS));
    EXPECT_FALSE(FileExists(small->Path("f.bin.part")));
    EXPECT_FALSE(FileExists(small->Path("f.bin")));
}

TEST_F(EndlessBodyTest, LengthThatContradictsTheListIsRefusedBeforeTheBodyAndTheListedSizeStays)
{
    DOWNLOAD_JOB& job = QueueListed("f.bin", 54);
    std::string data = ReadWholeFile(FaultServerDir() + "\\www\\" + job.szUrlPath);
    server->SetRules({"f.bin endless 300000000 20000000", "f.bin endless 50000 50000", "f.bin normal"});

    EXPECT_EQ(DL_OK, updater().DownloadWithRetry(&job));

    EXPECT_TRUE(ReadWholeFile(small->Path("f.bin")) == data);
    EXPECT_EQ(100000u, job.dwSize);
    std::string log = LogText(small->Path());
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": taille 300000000 au lieu de 100000, efface"));
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": taille 50000 au lieu de 100000, efface"));
    EXPECT_EQ(3u, server->Requests("f.bin").size());
}

typedef DownloaderTest ListLimitTest;

TEST_F(ListLimitTest, ListLongerThanTheSignatureCheckReadsFailsAndIsDeleted)
{
    server->Publish("filelist.txt", "");
    server->Publish("announced.txt", "");
    server->SetRules({"filelist.txt endless close " + std::to_string(kMaxSignedListBytes + 1024 * 1024),
                      "announced.txt endless 300000000 1000000"});
    DOWNLOAD_JOB& endless = Queue("filelist.txt");
    DOWNLOAD_JOB& announced = Queue("announced.txt");

    EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadWithRetry(&endless));
    EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadWithRetry(&announced));

    const std::string line = ": plus de " + std::to_string(kMaxSignedListBytes) + " octets, efface";
    std::string log = LogText(folder.Path());
    for (const char* file : {"filelist.txt", "announced.txt"}) {
        EXPECT_FALSE(FileExists(Local(file)));
        EXPECT_FALSE(FileExists(Part(file)));
        EXPECT_NE(std::string::npos, log.find(server->Url(file) + line)) << file;
        EXPECT_EQ(1u, server->Requests(file).size()) << file;
    }
    EXPECT_GT(server->Requests("filelist.txt")[0].sent, (long long)kMaxSignedListBytes);
    EXPECT_TRUE(waits.Waits().empty());
}

typedef DownloaderTest RedirectTest;

TEST_F(RedirectTest, RedirectToPlainHttpIsRefusedLikeAFileMissingOnTheServer)
{
    std::string data = server->PublishRandom("g.bin", 3000, 55);
    const std::string target = "http://127.0.0.2/" + server->Url("g.bin");
    std::vector<std::string> rules;
    for (const char* code : {"301", "302", "303", "307"})
        rules.push_back(std::string("r") + code + ".bin redirect " + code + " " + target);
    rules.push_back("optional.bin redirect 302 " + target);
    server->SetRules(rules);
    DOWNLOAD_JOB& optional = Queue("optional.bin", Md5Of(data), 1);
    ASSERT_TRUE(WriteWholeFile(Local("optional.bin"), "an older version"));

    std::string log;
    for (const char* code : {"301", "302", "303", "307"}) {
        std::string file = std::string("r") + code + ".bin";
        DOWNLOAD_JOB& job = Queue(file, Md5Of(data));
        EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadFile(&job)) << code;
        EXPECT_FALSE(FileExists(Local(file))) << code;
        EXPECT_FALSE(FileExists(Part(file))) << code;
        log = LogText(folder.Path());
        EXPECT_NE(std::string::npos, log.find(server->Url(file) + ": " + target + " hors HTTPS, refuse")) << code;
    }
    EXPECT_EQ(DL_OK, updater().DownloadFile(&optional));
    EXPECT_EQ(0, SizeOf(Local("optional.bin")));
    log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find(server->Url("optional.bin") + ": " + target + " hors HTTPS, refuse"));
}

TEST_F(RedirectTest, HttpsRedirectsAreFollowedAlsoToAnotherHost)
{
    std::string data = server->PublishRandom("g.bin", 3000, 56);
    server->SetRules({"elsewhere.bin redirect 302 https://127.0.0.6/" + server->Url("g.bin"),
                      "here.bin redirect 307 https://127.0.0.2/" + server->Url("g.bin")});
    DOWNLOAD_JOB& elsewhere = Queue("elsewhere.bin", Md5Of(data));
    DOWNLOAD_JOB& here = Queue("here.bin", Md5Of(data));

    EXPECT_EQ(DL_OK, updater().DownloadFile(&elsewhere));
    EXPECT_EQ(DL_OK, updater().DownloadFile(&here));

    EXPECT_TRUE(ReadWholeFile(Local("elsewhere.bin")) == data);
    EXPECT_TRUE(ReadWholeFile(Local("here.bin")) == data);
    // A request goes to the job's host, wherever the one before was led.
    std::vector<std::vector<std::string>> heads = RequestHeads(server->Url("here.bin"));
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(std::vector<std::string>{"127.0.0.2"}, HeaderValues(heads[0], "Host"));
    heads = RequestHeads(server->Url("g.bin"));
    ASSERT_EQ(2u, heads.size());
    EXPECT_EQ(std::vector<std::string>{"127.0.0.6"}, HeaderValues(heads[0], "Host"));
    EXPECT_EQ(std::vector<std::string>{"127.0.0.2"}, HeaderValues(heads[1], "Host"));
}

typedef DownloaderTest CertificateTest;

TEST_F(CertificateTest, ServerWhoseCertificateCannotBeTrustedIsRefusedBeforeAnyRequest)
{
    // The same files from another listener whose certificate is good: the refusals below are the
    // certificates' doing.
    std::string data = server->PublishRandom("127.0.0.6.bin", 3000, 57);
    updater().m_strHost = "127.0.0.6";
    ASSERT_TRUE(updater().Connect());
    ASSERT_EQ(DL_OK, updater().DownloadFile(&Queue("127.0.0.6.bin", Md5Of(data))));

    // Signed by a CA the system does not trust; for another name; expired.
    for (const char* host : {"127.0.0.3", "127.0.0.4", "127.0.0.5"}) {
        const std::string file = std::string(host) + ".bin";
        server->Publish(file, data);
        size_t connections = TlsConnections(host);
        updater().m_strHost = host;
        ASSERT_TRUE(updater().Connect());
        EXPECT_EQ(DL_SEND_FAILED, updater().DownloadFile(&Queue(file, Md5Of(data)))) << host;
        EXPECT_FALSE(FileExists(Local(file))) << host;
        EXPECT_FALSE(FileExists(Part(file))) << host;
        EXPECT_TRUE(RequestHeads(server->Url(file)).empty()) << host;
        EXPECT_TRUE(WaitFor([&] { return TlsConnections(host) > connections; }, 30000)) << host;
    }
}
