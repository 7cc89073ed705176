// The per-file retry loop: which results are retried, the waits between attempts, reconnection.
#include "DownloaderFixture.h"
#include <algorithm>

typedef DownloaderTest RetryTest;

TEST_F(RetryTest, EightIncompleteAttemptsAreSeparatedBySevenWaitsOf2s)
{
    server->PublishRandom("f.bin", 4000, 21);
    server->SetRules({"f.bin short 10"});
    DOWNLOAD_JOB& job = Queue("f.bin");
    SetTextRecorder status(dlg.m_lblStatus.GetSafeHwnd());

    EXPECT_EQ(DL_INCOMPLETE, updater().DownloadWithRetry(&job));

    EXPECT_EQ(8u, server->Requests("f.bin").size());
    EXPECT_EQ(std::vector<DWORD>(7, 2000), waits.Waits());
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": retry 2/8 (last error 7, code "));
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": retry 8/8 (last error 7, code "));
    EXPECT_EQ(std::string::npos, log.find("retry 9/8"));
    std::vector<std::string> shown = status.Texts();
    EXPECT_EQ(7, std::count(shown.begin(), shown.end(), std::string("Connection lost, resuming...")));
    EXPECT_EQ(8, std::count(shown.begin(), shown.end(), std::string("Downloading...")));
}

TEST_F(RetryTest, FileMissingOnTheServerIsNotRetried)
{
    server->SetRules({"f.bin status 404"});
    DOWNLOAD_JOB& job = Queue("f.bin");

    EXPECT_EQ(DL_NOT_ON_SERVER, updater().DownloadWithRetry(&job));

    EXPECT_EQ(1u, server->Requests("f.bin").size());
    EXPECT_TRUE(waits.Waits().empty());
}

TEST_F(RetryTest, CorruptDownloadIsFetchedAgain)
{
    std::string data = server->PublishRandom("f.bin", 4000, 22);
    server->SetRules({"f.bin wrong", "f.bin normal"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));

    EXPECT_EQ(DL_OK, updater().DownloadWithRetry(&job));

    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("-", requests[1].range);
    EXPECT_EQ(std::vector<DWORD>(1, 2000), waits.Waits());
}

TEST_F(RetryTest, FailedReconnectionUsesUpItsAttempt)
{
    std::string data = server->PublishRandom("f.bin", 4000, 23);
    server->SetRules({"f.bin cut 1000", "f.bin normal"});
    DOWNLOAD_JOB& job = Queue("f.bin", Md5Of(data));
    // The first attempt uses the connection made in SetUp; reconnecting to no host fails. The
    // server comes back during the second wait, so that only the first reconnection fails.
    updater().m_strHost = "";
    waits.OnWait([this](size_t count) {
        if (count == 2)
            updater().m_strHost = FaultServer::Host();
    });

    EXPECT_EQ(DL_OK, updater().DownloadWithRetry(&job));

    EXPECT_EQ(2u, waits.Waits().size());
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("bytes=1000-", requests[1].range);
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": retry 2/8 (last error 7, code "));
    EXPECT_NE(std::string::npos, log.find(server->Url("f.bin") + ": retry 3/8 (last error 5, code "));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
}

TEST_F(RetryTest, ServerThatNeverComesBackEndsWithConnectFailed)
{
    server->PublishRandom("f.bin", 4000, 24);
    server->SetRules({"f.bin short 1"});
    DOWNLOAD_JOB& job = Queue("f.bin");
    updater().m_strHost = "";

    EXPECT_EQ(DL_CONNECT_FAILED, updater().DownloadWithRetry(&job));

    EXPECT_EQ(1u, server->Requests("f.bin").size());
    EXPECT_EQ(std::vector<DWORD>(7, 2000), waits.Waits());
}
