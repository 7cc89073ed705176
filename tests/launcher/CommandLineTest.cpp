// The launcher's start mode comes from its arguments alone.
#include <gtest/gtest.h>
#include "launcher/CommandLine.h"

TEST(CommandLine, RelaunchSwitchCountsAnywhereAndOnlyInLowerCase)
{
    EXPECT_TRUE(HasRelaunchSwitch("/relance"));
    EXPECT_TRUE(HasRelaunchSwitch("x /relance y"));
    EXPECT_TRUE(HasRelaunchSwitch("/relancer"));
    EXPECT_FALSE(HasRelaunchSwitch("/RELANCE"));
    EXPECT_FALSE(HasRelaunchSwitch("relance"));
    EXPECT_FALSE(HasRelaunchSwitch(""));
    EXPECT_FALSE(HasRelaunchSwitch(nullptr));
}

TEST(CommandLine, InstallSwitchNeedsTheBlankAndTheQuotationMark)
{
    EXPECT_TRUE(HasInstallSwitch("/installe \"C:\\a.exe\""));
    EXPECT_TRUE(HasInstallSwitch("/relance /installe \""));
    EXPECT_FALSE(HasInstallSwitch("/installe"));
    EXPECT_FALSE(HasInstallSwitch("/installe C:\\a.exe"));
    EXPECT_FALSE(HasInstallSwitch("/installe  \"C:\\a.exe\""));
    EXPECT_FALSE(HasInstallSwitch("/INSTALLE \"C:\\a.exe\""));
    EXPECT_FALSE(HasInstallSwitch(nullptr));
}

TEST(CommandLine, DownloadedCopyIsThePathBetweenTheMarks)
{
    EXPECT_EQ(DownloadedCopyPath("/installe \"C:\\Downloads\\setup.exe\""), "C:\\Downloads\\setup.exe");
    EXPECT_EQ(DownloadedCopyPath("/installe \"C:\\My Downloads\\setup.exe\" /relance"), "C:\\My Downloads\\setup.exe");
    EXPECT_EQ(DownloadedCopyPath("a /installe \"x\" /installe \"y\""), "x");
    EXPECT_EQ(DownloadedCopyPath("/installe \"\""), "");
    EXPECT_EQ(DownloadedCopyPath("/installe \"C:\\no closing mark"), "");
    EXPECT_EQ(DownloadedCopyPath("/installe C:\\a.exe"), "");
    EXPECT_EQ(DownloadedCopyPath("/relance"), "");
}
