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

// One language's form of the worker's texts.
struct WorkerTexts {
    int french;
    const char* updating;
    const char* downloading;
    const char* connectionLost;
    const char* verifying;
    const char* completed;
    const char* cannotCreateFolder;
    const char* corrupted;
    const char* question;
};
const WorkerTexts kEnglish = {0, "Updating...", "Downloading...", "Connection lost, resuming...",
                              "Verifying files...", "Update completed", "Cannot create folder",
                              "Downloaded file is corrupted (md5)", "Update interrupted. Retry?"};
const WorkerTexts kFrench = {1, "Mise à jour en cours...", "Téléchargement...", "Connexion perdue, reprise...",
                             "Vérification des fichiers...", "Mise à jour terminée", "Impossible de créer le dossier",
                             "Fichier téléchargé corrompu (md5)", "Mise à jour interrompue. Réessayer ?"};

void PrintTo(const WorkerTexts& texts, std::ostream* os)
{
    *os << (texts.french ? "French" : "English");
}

class WorkerTextTest : public WorkerTest, public ::testing::WithParamInterface<WorkerTexts> {
protected:
    void SetUp() override
    {
        WorkerTest::SetUp();
        g_bFrench = GetParam().french;
    }

    // An error box of the worker: its fixed text, a line break, then the codes; shown by the worker's
    // thread, and written to the log as it stands (a text file: the line break becomes CR LF).
    void ExpectErrorBox(const AnsweredBox& box, const std::string& text, int result)
    {
        EXPECT_EQ(dlg.m_workerThreadId, box.thread);
        std::string head = text + "\nCODE: ";
        ASSERT_EQ(head, box.text.substr(0, head.size()));
        long code = strtol(box.text.c_str() + head.size(), NULL, 10);
        EXPECT_EQ(head + std::to_string(code) + " RESULT: " + std::to_string(result), box.text);
        std::string logged = box.text;
        logged.replace(logged.find('\n'), 1, "\r\n");
        EXPECT_NE(std::string::npos, LogText(folder.Path()).find(logged));
    }
};

INSTANTIATE_TEST_SUITE_P(BothLanguages, WorkerTextTest, ::testing::Values(kEnglish, kFrench),
                         [](const ::testing::TestParamInfo<WorkerTexts>& info) {
                             return std::string(info.param.french ? "French" : "English");
                         });

TEST_P(WorkerTextTest, StatusTextsFollowTheRunInOrder)
{
    const WorkerTexts& t = GetParam();
    std::string data = server->PublishRandom("f.bin", 5000, 42);
    server->SetRules({"f.bin cut 2000", "f.bin normal"});
    Queue("f.bin", Md5Of(data)).dwSize = (DWORD)data.size();
    SetTextRecorder status(dlg.m_lblStatus.GetSafeHwnd());

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    std::vector<std::string> expected = {t.updating,    t.downloading, t.connectionLost,
                                         t.downloading, t.verifying,   t.completed};
    EXPECT_EQ(expected, status.Texts());
    EXPECT_EQ(t.completed, TextOf(dlg.m_lblStatus.m_hWnd));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
}

TEST_P(WorkerTextTest, FolderThatCannotBeMadeAndCorruptDownloadShowTheirOwnTextThenTheQuestion)
{
    const WorkerTexts& t = GetParam();
    std::string data = server->PublishRandom("f.bin", 3000, 43);
    server->Publish("corrupt.bin", data);
    server->SetRules({"corrupt.bin wrong"});
    ASSERT_TRUE(WriteWholeFile(Local("blocker"), "a file where a folder should be"));
    struct Case {
        std::string file;
        std::string target;
        const char* text;
        int result;
        size_t requests; // the folder is made before the server is asked; a bad digest is retried
    } cases[] = {{"f.bin", Local("blocker\\sub\\f.bin"), t.cannotCreateFolder, DL_MKDIR_FAILED, 0},
                 {"corrupt.bin", Local("corrupt.bin"), t.corrupted, DL_BAD_MD5, MAX_DOWNLOAD_ATTEMPTS}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        context.m_jobs.assign(1, MakeJob(c.target, server->Url(c.file), Md5Of(data)));
        context.m_jobs.back().dwSize = (DWORD)data.size();
        int failed = dlg.m_nFailedPosted;
        MessageBoxAnswerer user({IDOK, IDCANCEL});

        ASSERT_TRUE(dlg.RunWorker(&context));

        EXPECT_EQ(failed + 1, dlg.m_nFailedPosted);
        EXPECT_EQ(0, dlg.m_nDonePosted);
        std::vector<AnsweredBox> boxes = user.Answered();
        ASSERT_EQ(2u, boxes.size());
        ExpectErrorBox(boxes[0], c.text, c.result);
        EXPECT_EQ(t.question, boxes[1].text);
        EXPECT_EQ(dlg.m_workerThreadId, boxes[1].thread);
        EXPECT_EQ(c.requests, server->Requests(c.file).size());
        EXPECT_FALSE(FileExists(c.target));
        EXPECT_FALSE(FileExists(c.target + ".part"));
    }
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

// A file gone when the verify pass begins, whether listed with its size or an optional one left
// empty by a 404 (expected size 0), is asked for again in full and put back.
TEST_F(WorkerTest, FileMissingAtTheVerifyPassIsFetchedAgain)
{
    std::string data = server->PublishRandom("f.bin", 5000, 44);
    server->SetRules({"opt.sig status 404"});
    Queue("f.bin", Md5Of(data)).dwSize = (DWORD)data.size();
    Queue("opt.sig", "", 1);
    SetTextRecorder status(dlg.m_lblStatus.GetSafeHwnd());
    // The worker waits while its status is set: the files go after the job loop has put them in place.
    int verifyPasses = 0;
    status.OnText([&](const std::string& text) {
        if (text == "Verifying files..." && ++verifyPasses == 1) {
            EXPECT_TRUE(DeleteFileA(Local("f.bin").c_str()));
            EXPECT_TRUE(DeleteFileA(Local("opt.sig").c_str()));
        }
    });
    MessageBoxAnswerer user({});

    ASSERT_TRUE(dlg.RunWorker(&context));

    EXPECT_EQ(1, dlg.m_nDonePosted);
    EXPECT_TRUE(user.Texts().empty());
    std::vector<std::string> expected = {"Updating...",        "Downloading...",     "Verifying files...",
                                         "Downloading...",     "Verifying files...", "Update completed"};
    EXPECT_EQ(expected, status.Texts());
    EXPECT_EQ("Update completed", TextOf(dlg.m_lblStatus.m_hWnd));
    EXPECT_TRUE(ReadWholeFile(Local("f.bin")) == data);
    EXPECT_EQ(0, SizeOf(Local("opt.sig")));
    std::vector<ServedRequest> requests = server->Requests("f.bin");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("-", requests[1].range);
    EXPECT_EQ(200, requests[1].status);
    EXPECT_EQ(5000, requests[1].sent);
    EXPECT_EQ(2u, server->Requests("opt.sig").size());
    std::string log = LogText(folder.Path());
    EXPECT_NE(std::string::npos, log.find("VERIFY: " + Local("f.bin") + " bad (0 != 5000), redownloading"));
    EXPECT_NE(std::string::npos, log.find("VERIFY: " + Local("opt.sig") + " bad (0 != 0), redownloading"));
    EXPECT_NE(std::string::npos, log.find("VERIFY pass 1: 2 file(s) repaired"));
    EXPECT_NE(std::string::npos, log.find("VERIFY pass 2: 0 file(s) repaired"));
    EXPECT_EQ(std::string::npos, log.find("VERIFY pass 3"));
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
