// The worker thread against the real main window: counter, error boxes and the Retry/Cancel
// question answered by a user, the verify passes, the connection attempts.
#include "DownloaderFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/Pump.h"
#include <gmock/gmock.h>

using ::testing::EndsWith;
using ::testing::StartsWith;

class WorkerTest : public DownloaderTest {
protected:
    void SetUp() override
    {
        DownloaderTest::SetUp();
        // A run connects by itself.
        updater().CloseHandles();
    }

    std::vector<std::string> PublishThree()
    {
        std::vector<std::string> files;
        for (int i = 0; i < 3; ++i) {
            std::string name = "file" + std::to_string(i + 1) + ".bin";
            std::string data = server->PublishRandom(name, 3000 + 1000 * i, 30 + i);
            Queue(name, Md5Of(data)).dwSize = (DWORD)data.size();
            files.push_back(data);
        }
        return files;
    }
};

TEST_F(WorkerTest, MissingSecondFileIsReportedAndRetryAsksForItAgain)
{
    std::vector<std::string> files = PublishThree();
    server->SetRules({"file2.bin status 404", "file2.bin normal"});
    SetTextRecorder counter(dlg.m_lblCount.GetSafeHwnd());
    MessageBoxAnswerer user({IDOK, IDRETRY});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    EXPECT_EQ(0, dlg.m_nFailedPosted);
    std::vector<std::string> boxes = user.Texts();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_THAT(boxes[0], StartsWith("File not found on the server\nCODE: "));
    EXPECT_THAT(boxes[0], EndsWith(" RESULT: 4"));
    EXPECT_EQ("Update interrupted. Retry?", boxes[1]);
    // The log is a text file: the box's line break is written as CR LF.
    std::string logged = boxes[0];
    logged.replace(logged.find('\n'), 1, "\r\n");
    EXPECT_NE(std::string::npos, LogText(folder.Path()).find(logged));

    EXPECT_EQ(1u, server->Requests("file1.bin").size());
    EXPECT_EQ(2u, server->Requests("file2.bin").size());
    EXPECT_EQ(1u, server->Requests("file3.bin").size());
    std::vector<std::string> expectedCounts = {"1 / 3", "1 / 3", "2 / 3", "2 / 3", "3 / 3"};
    EXPECT_EQ(expectedCounts, counter.Texts());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ReadWholeFile(Local("file" + std::to_string(i + 1) + ".bin")) == files[i]);
    EXPECT_EQ("Update completed", TextOf(dlg.m_lblStatus.m_hWnd));
    EXPECT_EQ(100, dlg.m_progressFile.SendMessage(PBM_GETPOS));
    EXPECT_EQ(100, dlg.m_progressTotal.SendMessage(PBM_GETPOS));
}

TEST_F(WorkerTest, CancelPostsTheFailureOnlyInFrenchToo)
{
    g_bFrench = 1;
    PublishThree();
    server->SetRules({"file2.bin status 404"});
    MessageBoxAnswerer user({IDOK, IDCANCEL});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(0, dlg.m_nDonePosted);
    EXPECT_EQ(1, dlg.m_nFailedPosted);
    EXPECT_EQ(NULL, updater().m_pThread);
    std::vector<std::string> boxes = user.Texts();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_THAT(boxes[0], StartsWith("Fichier introuvable sur le serveur\nCODE: "));
    EXPECT_EQ("Mise à jour interrompue. Réessayer ?", boxes[1]);
    EXPECT_EQ(0u, server->Requests("file3.bin").size());
    // Nothing else arrives once the worker has been joined.
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(0, dlg.m_nDonePosted);
    EXPECT_EQ(1, dlg.m_nFailedPosted);
}

TEST_F(WorkerTest, FrenchStatusTextsFollowTheRunInOrder)
{
    g_bFrench = 1;
    std::string data = server->PublishRandom("f.bin", 5000, 42);
    server->SetRules({"f.bin cut 2000", "f.bin normal"});
    Queue("f.bin", Md5Of(data)).dwSize = (DWORD)data.size();
    SetTextRecorder status(dlg.m_lblStatus.GetSafeHwnd());

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    std::vector<std::string> expected = {"Mise à jour en cours...", "Téléchargement...", "Connexion perdue, reprise...",
                                         "Téléchargement...", "Vérification des fichiers...", "Mise à jour terminée"};
    EXPECT_EQ(expected, status.Texts());
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
}

TEST_F(WorkerTest, FileOfTheWrongSizeIsRepairedInTheFirstVerifyPass)
{
    std::string data = server->PublishRandom("f.bin", 6000, 40);
    server->SetRules({"f.bin no-length 1", "f.bin normal"});
    Queue("f.bin").dwSize = 6000;

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    EXPECT_EQ(2u, server->Requests("f.bin").size());
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("VERIFY: " + Local("f.bin") + " bad (6001 != 6000), redownloading"));
    EXPECT_NE(std::string::npos, log.find("VERIFY pass 1: 1 file(s) repaired"));
    EXPECT_NE(std::string::npos, log.find("VERIFY pass 2: 0 file(s) repaired"));
    EXPECT_EQ(std::string::npos, log.find("VERIFY pass 3"));
    EXPECT_EQ("Update completed", TextOf(dlg.m_lblStatus.m_hWnd));
}

TEST_F(WorkerTest, FileThatStaysBadIsFetchedInThreePassesAndTheRunStillEndsWell)
{
    server->PublishRandom("f.bin", 6000, 41);
    server->SetRules({"f.bin no-length 1"});
    Queue("f.bin").dwSize = 6000;
    MessageBoxAnswerer user({});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    EXPECT_EQ(0, dlg.m_nFailedPosted);
    EXPECT_TRUE(user.Texts().empty());
    EXPECT_EQ(4u, server->Requests("f.bin").size());
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("VERIFY pass 3: 1 file(s) repaired"));
    EXPECT_EQ(std::string::npos, log.find("VERIFY pass 4"));
}

TEST_F(WorkerTest, FourConnectionAttemptsWithThreeWaitsThenTheErrorAndTheQuestion)
{
    PublishThree();
    updater().m_strHost = "";
    MessageBoxAnswerer user({IDOK, IDCANCEL});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nFailedPosted);
    EXPECT_EQ(std::vector<DWORD>(3, 1500), waits.Waits());
    std::vector<std::string> boxes = user.Texts();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_THAT(boxes[0], EndsWith(" RESULT: 5"));
    // Above the codes: the system's own description of the error that made the last attempt fail.
    size_t codeAt = boxes[0].find("\nCODE: ");
    ASSERT_NE(std::string::npos, codeAt) << boxes[0];
    DWORD code = (DWORD)strtoul(boxes[0].c_str() + codeAt + 7, NULL, 10);
    EXPECT_NE(0u, code) << boxes[0];
    char description[1024] = "";
    // Internet errors (12000 and above) are described by the internet library, the others by the system.
    FormatMessageA((code >= 12000 ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM) |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   code >= 12000 ? GetModuleHandleA("wininet.dll") : NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), description, sizeof description, NULL);
    EXPECT_NE('\0', description[0]);
    EXPECT_EQ(std::string(description), boxes[0].substr(0, codeAt)) << boxes[0];
    EXPECT_EQ("Update interrupted. Retry?", boxes[1]);
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("Attempt to connect()."));
    EXPECT_NE(std::string::npos, log.find("Connect retry 4/4"));
    EXPECT_EQ(std::string::npos, log.find("Connected"));
    EXPECT_EQ(0u, server->Requests("file1.bin").size());
}
