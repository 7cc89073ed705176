// The figures of the space line: gigabytes, free space of a folder that may not exist yet, the size the
// server announces, and the folder proposed for a picked one.
#include "tests/installer/PlainHttpServer.h"

#include <gtest/gtest.h>
#include <mbctype.h>
#include <windows.h>
#include <string>

#include "engine/Language.h"
#include "installer/InstallDlg.h"
#include "tests/installer/InstallTestKit.h"
#include "tests/support/TestPaths.h"

using namespace installtest;
using testsupport::ScratchDir;

namespace {

class LanguageScope {
public:
    explicit LanguageScope(int french) : m_saved(g_bFrench) { g_bFrench = french; }
    ~LanguageScope() { g_bFrench = m_saved; }

private:
    int m_saved;
};

double FreeBytes(const std::string& folder) {
    ULARGE_INTEGER available = {};
    EXPECT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &available, NULL, NULL)) << folder;
    return (double)available.QuadPart;
}

// Other programs write to the same disk meanwhile.
void ExpectAboutTheSame(double actual, double expected) { EXPECT_NEAR(actual, expected, 256.0 * 1024 * 1024); }

} // namespace

TEST(FormatGigabytes, UsesBinaryGigabytesWithOneDecimalInTheUserLanguage) {
    {
        LanguageScope english(0);
        EXPECT_STREQ(FormatGigabytes(2.9e9), "2.7 GB");
        EXPECT_STREQ(FormatGigabytes(5e9), "4.7 GB");
        EXPECT_STREQ(FormatGigabytes(1610612736.0), "1.5 GB");
        EXPECT_STREQ(FormatGigabytes(0), "0.0 GB");
        EXPECT_STREQ(FormatGigabytes(1e12), "931.3 GB");
    }
    {
        LanguageScope french(1);
        EXPECT_STREQ(FormatGigabytes(2.9e9), "2,7 Go");
        EXPECT_STREQ(FormatGigabytes(5e9), "4,7 Go");
        EXPECT_STREQ(FormatGigabytes(1610612736.0), "1,5 Go");
        EXPECT_STREQ(FormatGigabytes(1e12), "931,3 Go");
    }
}

TEST(GetFreeDiskSpace, AsksTheFolderOrItsNearestExistingAncestor) {
    std::string scratch = ScratchDir();
    double free = FreeBytes(scratch);
    ASSERT_GT(free, 0);
    ExpectAboutTheSame(GetFreeDiskSpace(scratch.c_str()), free);
    ExpectAboutTheSame(GetFreeDiskSpace((scratch + "\\not\\yet\\there").c_str()), free);
    ExpectAboutTheSame(GetFreeDiskSpace((scratch + "\\").c_str()), free);

    char windows[MAX_PATH] = "";
    ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string drive(windows, 2);
    ExpectAboutTheSame(GetFreeDiskSpace((drive + "\\no such folder\\Velmora World").c_str()), FreeBytes(drive + "\\"));
    ExpectAboutTheSame(GetFreeDiskSpace((drive + "\\nothing").c_str()), FreeBytes(drive + "\\"));
}

TEST(GetFreeDiskSpace, IsUnknownWithoutAnAnsweringDrive) {
    std::string missing;
    for (char letter = 'Q'; letter <= 'Y' && missing.empty(); ++letter)
        if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR)
            missing = std::string(1, letter) + ":";
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(GetFreeDiskSpace((missing + "\\Jeux\\Velmora World").c_str()), -1);
    EXPECT_EQ(GetFreeDiskSpace((missing + "\\").c_str()), -1);
    EXPECT_EQ(GetFreeDiskSpace(missing.c_str()), -1);
    EXPECT_EQ(GetFreeDiskSpace("Velmora World"), -1);
    EXPECT_EQ(GetFreeDiskSpace(""), -1);
    EXPECT_EQ(GetFreeDiskSpace("\\nowhere"), -1);
}

TEST(InstallFolderFromPicked, AppendsTheGameNameUnlessTheLastElementIsIt) {
    EXPECT_STREQ(InstallFolderFromPicked("C:\\Games"), "C:\\Games\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("C:\\Games\\\\"), "C:\\Games\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("C:\\"), "C:\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("D:\\Jeux\\Velmora World"), "D:\\Jeux\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("D:\\Jeux\\VELMORA world\\"), "D:\\Jeux\\VELMORA world");
    EXPECT_STREQ(InstallFolderFromPicked("D:\\Velmora World\\Old"), "D:\\Velmora World\\Old\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("D:\\Velmora Worlds"), "D:\\Velmora Worlds\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("D:\\My Velmora World"), "D:\\My Velmora World\\Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("Velmora World"), "Velmora World");
    EXPECT_STREQ(InstallFolderFromPicked("\\\\server\\share"), "\\\\server\\share\\Velmora World");
}

// "\x95\x5C" is one Shift-JIS character whose second byte is the backslash's code.
TEST(InstallFolderFromPicked, KeepsADoubleByteCharacterEndingInTheBackslashCode) {
    const int previous = _getmbcp();
    ASSERT_EQ(_setmbcp(932), 0);
    CString endingWithIt = InstallFolderFromPicked("C:\\\x95\x5C");
    CString withTrailingBackslashes = InstallFolderFromPicked("C:\\\x95\x5C\\\\");
    CString beforeTheName = InstallFolderFromPicked("D:\\\x95\x5CVelmora World");
    _setmbcp(previous);
    EXPECT_STREQ(endingWithIt, "C:\\\x95\x5C\\Velmora World");
    EXPECT_STREQ(withTrailingBackslashes, "C:\\\x95\x5C\\Velmora World");
    EXPECT_STREQ(beforeTheName, "D:\\\x95\x5CVelmora World\\Velmora World");
}

class RequiredSpace : public ::testing::Test {
protected:
    double FetchWith(const std::string& versionFile) {
        PublishVersionFile(versionFile);
        return FetchRequiredSpace();
    }
};

TEST_F(RequiredSpace, IsTheThirdLineOfTheVersionFile) {
    EXPECT_EQ(FetchWith("V.1.2.3\nnotes\n5000000000\n"), 5e9);
    {
        LanguageScope english(0);
        EXPECT_STREQ(FormatGigabytes(FetchRequiredSpace()), "4.7 GB");
    }
    EXPECT_EQ(FetchWith("V.1\r\n\r\n  \t3.5e9\r\nmore\r\n"), 3.5e9);
    EXPECT_EQ(FetchWith("V.1\n\n100000001 bytes"), 100000001.0);
    EXPECT_EQ(FetchWith("V.1\n\n999999999999.5"), 999999999999.5);

    // Asked without a query string, so no cache-busting parameter.
    std::string log = testsupport::ReadWholeFile(testsupport::NginxAccessLog());
    EXPECT_NE(log.find("GET /files/pc/Vers.txt HTTP/1.1\t"), std::string::npos);
}

TEST_F(RequiredSpace, FallsBackWhenTheFigureIsImplausibleOrMissing) {
    EXPECT_EQ(FetchWith("V.1\n\n100000000\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n\n1e8\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n\n1000000000000\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n\n1e12\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n\n-5000000000\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n\nfive thousand million\n"), 2.9e9);
    EXPECT_EQ(FetchWith("V.1\n5000000000"), 2.9e9) << "two lines only";
    EXPECT_EQ(FetchWith("5000000000\n5000000000\n"), 2.9e9) << "an empty third line";
    EXPECT_EQ(FetchWith(""), 2.9e9);
}

TEST_F(RequiredSpace, ReadsNoMoreThan1023Bytes) {
    // The figure straddles byte 1023: only its first eleven digits are read.
    std::string head = std::string(1010, 'x') + "\n\n";
    ASSERT_EQ(head.size(), 1012u);
    EXPECT_EQ(FetchWith(head + "123456789012\n"), 12345678901.0);
    // Wholly beyond the limit: no third line at all.
    EXPECT_EQ(FetchWith(std::string(1100, 'x') + "\n\n5000000000\n"), 2.9e9);
}

TEST_F(RequiredSpace, FallsBackWhenNoServerAnswers) {
    DWORD start = GetTickCount();
    EXPECT_EQ(FetchRequiredSpaceFrom("127.0.0.61"), 2.9e9);
    EXPECT_LT(GetTickCount() - start, 6000u) << "a refused connection is not waited on";
}

// The size query follows redirects, but takes a figure only from an answer that came over HTTPS.
class RequiredSpaceRedirected : public ::testing::Test {
protected:
    double FetchRedirectedTo(int code, const std::string& location) {
        m_server.Set("/files/pc/Vers.txt redirect " + std::to_string(code) + " " + location + "\n");
        return FetchRequiredSpaceFrom(FaultServerRules::Host());
    }
    FaultServerRules m_server;
};

TEST_F(RequiredSpaceRedirected, ToPlainHttpIsRefused) {
    PlainHttpServer plain("V.1\n\n5000000000\n");
    EXPECT_EQ(FetchRedirectedTo(302, plain.Url("/files/pc/Vers.txt")), 2.9e9);
    EXPECT_EQ(FetchRedirectedTo(301, plain.Url("/moved/Vers.txt")), 2.9e9);
    // Refused for where it came from: the plain page was there and was fetched.
    EXPECT_EQ(plain.Requests(),
              (std::vector<std::string>{"GET /files/pc/Vers.txt HTTP/1.1", "GET /moved/Vers.txt HTTP/1.1"}));
}

TEST_F(RequiredSpaceRedirected, ToHttpsIsFollowed) {
    m_server.Publish("/t/installer/Vers.txt", "V.1\n\n4000000000\n");
    EXPECT_EQ(FetchRedirectedTo(302, "https://127.0.0.2/t/installer/Vers.txt"), 4e9);
    PublishVersionFile("V.1\n\n6000000000\n");
    EXPECT_EQ(FetchRedirectedTo(301, "https://localhost/files/pc/Vers.txt"), 6e9) << "another host";
}
