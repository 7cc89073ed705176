// A game folder, the main window with its real controls, a connected downloader pointed at the
// fault server, and a recorder of the program's waits: what every downloader test starts from.
#pragma once
#include "DownloadTestKit.h"
#include "engine/Language.h"
#include "tests/support/Content.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitRecorder.h"
#include "tests/support/WindowSearch.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace testsupport;

class DownloaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_bFrench = 0;
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        server.reset(new FaultServer(ShortName(std::string(info->test_suite_name()) + "." + info->name())));
        ASSERT_TRUE(dlg.Open());
        updater().m_strHost = FaultServer::Host();
        updater().m_pContext = &context;
        ASSERT_TRUE(updater().Connect());
    }

    void TearDown() override
    {
        if (dlg.GetSafeHwnd())
            dlg.DestroyWindow();
    }

    CUpdater& updater() { return *dlg.m_pUpdater; }

    // The name of the test's folder and rules file on the server: a digest of the test's name, as the
    // whole name makes paths too long below the build folder of a deep checkout.
    static std::string ShortName(const std::string& testName)
    {
        unsigned hash = 2166136261u; // FNV-1a
        for (unsigned char c : testName)
            hash = (hash ^ c) * 16777619u;
        char name[9];
        snprintf(name, sizeof name, "%08x", hash);
        return name;
    }

    // Queues a job for `file` (published by the fault server) into the test's context.
    DOWNLOAD_JOB& Queue(const std::string& file, const std::string& md5 = std::string(), int optional = 0)
    {
        context.m_jobs.push_back(MakeJob(folder.Path(file), server->Url(file), md5, optional));
        return context.m_jobs.back();
    }

    std::string Local(const std::string& file) const { return folder.Path(file); }
    std::string Part(const std::string& file) const { return folder.Path(file) + ".part"; }

    CurrentFolder folder;
    WaitRecorder waits;
    CUpdateContext context;
    CTestLauncherDlg dlg;
    std::unique_ptr<FaultServer> server;
};
