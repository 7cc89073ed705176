// What the install dialog makes of the folder typed: one full path of its own, whatever the current
// folder is.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>

#include "installer/InstallDlg.h"
#include "res/resource.h"
#include "tests/installer/DialogDriver.h"
#include "tests/installer/InstallTestKit.h"
#include "tests/support/TestPaths.h"

using namespace installtest;
using testsupport::FileExists;
using testsupport::IsFolder;
using testsupport::ScratchDir;

namespace {

class InstallDialogPath : public ::testing::Test {
protected:
    void SetUp() override { PublishVersionFile("V.1.0\nnotes\n5000000000\n"); }

    // Types the folder and presses OK; the dialog must accept it. Returns the folder it then holds.
    std::string Accept(const std::string& typed) {
        CInstallDlg dlg;
        std::string warning = "unset";
        INT_PTR result = 0;
        EXPECT_TRUE(DriveInstallDialog([&] { result = dlg.DoModal(); },
                                       [&](HWND dialog) {
                                           SetItemText(dialog, IDC_INSTALL_FOLDER, typed);
                                           warning = PressOkAndReadWarning(dialog);
                                       }));
        EXPECT_EQ(warning, "") << "typed: [" << typed << "]";
        EXPECT_EQ(result, IDOK) << "typed: [" << typed << "]";
        return std::string(dlg.m_strFolder);
    }
};

} // namespace

TEST_F(InstallDialogPath, SlashesAndDotStepsBecomeOneFullPath) {
    std::string scratch = ScratchDir();
    std::string slashed = scratch;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_EQ(Accept(slashed + "/Games/x"), scratch + "\\Games\\x");
    EXPECT_EQ(Accept(scratch + "\\Games\\..\\x"), scratch + "\\x");
    EXPECT_EQ(Accept(scratch + "\\.\\Games\\.\\y\\"), scratch + "\\Games\\y");
    EXPECT_EQ(Accept(slashed + "/Games/z/"), scratch + "\\Games\\z");
    for (const char* made : {"\\Games\\x", "\\x", "\\Games\\y", "\\Games\\z"})
        EXPECT_TRUE(IsFolder(scratch + made)) << made;
}

// With the current folder elsewhere on the drive, "N:\" is the drive's root, not that folder.
TEST_F(InstallDialogPath, ADriveRootStaysTheRoot) {
    MappedDrive drive;
    ASSERT_TRUE(drive.Ready());
    testsupport::CurrentFolder elsewhere(MappedDrive::Letter(), "Downloads");
    EXPECT_EQ(Accept(MappedDrive::Root()), MappedDrive::Root());
    EXPECT_EQ(Accept("  n:\\\\\\ "), "n:\\");
    EXPECT_EQ(Accept("N:/"), MappedDrive::Root());
    EXPECT_FALSE(FileExists(MappedDrive::Root() + "ecriture.tmp"));
}
