// The install end to end with real processes: a downloaded copy of the launcher (a stand-in program
// that runs the same start-up steps) installs itself and hands over to the installed copy.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "installer/Installer.h"
#include "res/resource.h"
#include "tests/installer/DialogDriver.h"
#include "tests/installer/InstallTestKit.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImportHook.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

using namespace installtest;
using testsupport::FileExists;
using testsupport::ImportHook;
using testsupport::LogMessages;
using testsupport::ReadWholeFile;
using testsupport::ScopedEnv;
using testsupport::ScratchDir;

namespace {

const DWORD kProcessWaitMs = 60000;

// What this process's starts of other programs found, while a StartWatch lives.
struct StartWatch {
    static std::string s_mutexName;
    static std::vector<bool> s_mutexAtStart; // whether the mutex still existed, one entry per start
    static void* s_original;

    explicit StartWatch(const std::string& mutexName)
        : m_hook("kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(&Watched)) {
        s_mutexName = mutexName;
        s_mutexAtStart.clear();
        s_original = m_hook.Original();
        EXPECT_NE(s_original, nullptr) << "this program does not import CreateProcessA";
    }

    static BOOL WINAPI Watched(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                               LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                               LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
        s_mutexAtStart.push_back(MutexExists(s_mutexName));
        return reinterpret_cast<decltype(&CreateProcessA)>(s_original)(
            application, commandLine, processAttributes, threadAttributes, inherit, flags, environment, folder, startup,
            process);
    }

    ImportHook m_hook;
};
std::string StartWatch::s_mutexName;
std::vector<bool> StartWatch::s_mutexAtStart;
void* StartWatch::s_original = nullptr;

std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

class InstallFlow : public ::testing::Test {
protected:
    void SetUp() override {
        PublishVersionFile("V.1.0\n\n200000000\n");
        RemoveShortcuts();
        m_scratch = ScratchDir();
        m_report = m_scratch + "\\report.txt";
        m_env.emplace_back(new ScopedEnv("VELMORA_STANDIN_REPORT", m_report));
        m_env.emplace_back(new ScopedEnv("VELMORA_STANDIN_MUTEX", m_mutexName));
        m_env.emplace_back(new ScopedEnv("VELMORA_STANDIN_PAUSE_DIVISOR", "5"));
        m_standIn = ReadWholeFile(testsupport::WindowsPath(STANDIN_EXE));
        ASSERT_GT(m_standIn.size(), 10000u);
    }
    void TearDown() override {
        m_env.clear();
        RemoveShortcuts();
    }

    // The stand-in as a user would have downloaded it.
    std::string Download(const std::string& name) {
        std::string path = testsupport::FreshFolder(m_scratch + "\\Downloads") + "\\" + name;
        EXPECT_TRUE(testsupport::WriteWholeFile(path, m_standIn));
        return path;
    }

    // The events that the process of this executable name reported.
    std::vector<std::string> Events(const std::string& exeName) {
        std::vector<std::string> events;
        if (!FileExists(m_report))
            return events;
        std::istringstream lines(ReadWholeFile(m_report));
        std::string line;
        while (std::getline(lines, line))
            if (line.compare(0, exeName.size() + 1, exeName + "\t") == 0)
                events.push_back(line.substr(exeName.size() + 1));
        return events;
    }

    bool Reported(const std::string& exeName, const std::string& event) {
        for (const std::string& e : Events(exeName))
            if (e == event)
                return true;
        return false;
    }

    // Waits until the process of that name has reported its last event.
    bool WaitForEvent(const std::string& exeName, const std::string& event) {
        return testsupport::WaitFor([&] { return Reported(exeName, event); }, kProcessWaitMs);
    }

    // Starts the downloaded copy in its folder, types `folder` in its dialog and presses OK; true once the
    // first copy has ended and the installed one has run its start-up.
    bool InstallThroughDialog(const std::string& downloaded, const std::string& folder) {
        testsupport::ChildProcess first;
        EXPECT_TRUE(first.Start("\"" + downloaded + "\"", std::string(GetDirectoryPart(downloaded.c_str()))));
        HWND dialog = WaitForInstallDialog(first.Id());
        EXPECT_NE(dialog, (HWND)NULL) << "the downloaded copy shows the install dialog";
        if (!dialog)
            return false;
        TypeInto(dialog, IDC_INSTALL_FOLDER, folder);
        EXPECT_EQ(PressOkAndReadWarning(dialog), "");
        DWORD exitCode = 0;
        EXPECT_TRUE(first.Wait(kProcessWaitMs, exitCode)) << "the first copy ends after the hand-over";
        EXPECT_TRUE(Reported(PathFindFileNameA(downloaded.c_str()), "RunInstaller 1, mutex closed"));
        bool ran = WaitForEvent("Velmora World.exe", "main window");
        EXPECT_TRUE(ran) << "the installed copy ran its start-up";
        return ran;
    }

    // The installed copy, a copy of the stand-in, was started in `folder` with the hand-over command line,
    // and the shortcuts lead to it there.
    void ExpectHandOverTo(const std::string& folder, const std::string& installed, const std::string& downloaded) {
        std::vector<std::string> second = Events("Velmora World.exe");
        ASSERT_GE(second.size(), 2u);
        EXPECT_EQ(second[0], "command line: \"" + installed + "\" /installe \"" + downloaded + "\"");
        EXPECT_EQ(second[1], "current folder: " + folder);
        EXPECT_EQ(ReadWholeFile(installed), m_standIn);
        ExpectShortcutsTo(installed, folder);
    }

    std::string m_scratch, m_report, m_standIn;
    const std::string m_mutexName = "VelmoraWorldPatcher-test-" + std::to_string(GetCurrentProcessId());
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

} // namespace

TEST_F(InstallFlow, ADownloadedCopyInstallsItselfAndTheInstalledCopyDeletesIt) {
    std::string downloaded = Download("VelmoraWorldSetup.exe");
    std::string chosen = m_scratch + "\\Games\\Velmora World";
    ASSERT_TRUE(testsupport::WriteWholeFile(chosen + "\\Velmora World.exe", "an older launcher"));

    ASSERT_TRUE(InstallThroughDialog(downloaded, chosen));
    EXPECT_FALSE(Reported("VelmoraWorldSetup.exe", "main window"));
    ExpectHandOverTo(chosen, chosen + "\\Velmora World.exe", downloaded);
    std::vector<std::string> second = Events("Velmora World.exe");
    ASSERT_GE(second.size(), 3u);
    EXPECT_EQ(second[2], "mutex taken at attempt 1") << "the first copy let go of the mutex before the start";
    EXPECT_TRUE(Reported("Velmora World.exe", "DeleteDownloadedCopy done"));
    for (const std::string& event : second)
        EXPECT_TRUE(event.compare(0, 11, "RunInstaller") != 0) << "the installed copy skips the installer";

    EXPECT_FALSE(FileExists(downloaded)) << "the installed copy deleted the downloaded one";
    EXPECT_EQ(LogMessages(chosen), std::vector<std::string>{"INSTALLE, telecharge supprime : " + downloaded});
}

// The copy, the installed copy's command line and folder, and the shortcuts all use the full path that
// the dialog made of what was typed.
TEST_F(InstallFlow, TheHandOverUsesTheFullPathOfWhatWasTyped) {
    std::string downloaded = Download("Setup.exe");
    ASSERT_TRUE(InstallThroughDialog(downloaded, WithSlashes(m_scratch) + "/Games/../Velmora World"));
    ExpectHandOverTo(m_scratch + "\\Velmora World", m_scratch + "\\Velmora World\\Velmora World.exe", downloaded);
    EXPECT_FALSE(FileExists(m_scratch + "\\Games"));
}

TEST_F(InstallFlow, InstallsInTheRootOfTheDriveItWasDownloadedTo) {
    MappedDrive drive;
    ASSERT_TRUE(drive.Ready());
    testsupport::ScratchFolder downloads(MappedDrive::Letter(), "Downloads");
    std::string downloaded = downloads.Path("Setup.exe");
    ASSERT_TRUE(testsupport::WriteWholeFile(downloaded, m_standIn));

    ASSERT_TRUE(InstallThroughDialog(downloaded, MappedDrive::Root()));
    ExpectHandOverTo("N:\\", "N:\\Velmora World.exe", downloaded);
    EXPECT_FALSE(FileExists(downloaded)) << "the installed copy deleted the downloaded one";
}

TEST_F(InstallFlow, TheHandOverClosesTheMutexBeforeStartingTheInstalledCopy) {
    // This process plays the first copy and keeps running: a mutex handle left open would be seen.
    std::string downloaded = Download("Setup.exe");
    std::string chosen = m_scratch + "\\Chosen";
    HANDLE mutex = CreateMutexA(NULL, FALSE, m_mutexName.c_str());
    ASSERT_NE(mutex, (HANDLE)NULL);
    HANDLE original = mutex;

    InstallResult result = INSTALL_CONTINUE;
    {
        StartWatch starts(m_mutexName);
        DriveInstallDialog([&] { result = RunInstaller(downloaded.c_str(), &mutex); },
                           [&](HWND dialog) {
                               SetItemText(dialog, IDC_INSTALL_FOLDER, chosen);
                               EXPECT_EQ(PressOkAndReadWarning(dialog), "");
                           });
        EXPECT_EQ(StartWatch::s_mutexAtStart, std::vector<bool>{false}) << "one start, with the mutex gone";
    }
    EXPECT_EQ(result, INSTALL_EXIT);
    EXPECT_EQ(mutex, (HANDLE)NULL);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(original, &flags)) << "the handle was closed";

    ASSERT_TRUE(WaitForEvent("Velmora World.exe", "main window"));
    EXPECT_TRUE(Reported("Velmora World.exe", "mutex taken at attempt 1"));
    EXPECT_FALSE(FileExists(downloaded));
    ExpectShortcutsTo(chosen + "\\Velmora World.exe", chosen);
}

TEST_F(InstallFlow, AStartFromAGameFolderShowsNoDialog) {
    std::string downloaded = Download("Velmora World.exe");
    ASSERT_TRUE(testsupport::WriteWholeFile(m_scratch + "\\Downloads\\filelist.new", "list"));
    testsupport::ChildProcess process;
    ASSERT_TRUE(process.Start("\"" + downloaded + "\"", m_scratch + "\\Downloads"));
    ASSERT_TRUE(WaitForEvent("Velmora World.exe", "main window"));
    EXPECT_TRUE(Reported("Velmora World.exe", "RunInstaller 0, mutex open"));
    DWORD exitCode = 0;
    EXPECT_TRUE(process.Wait(kProcessWaitMs, exitCode));
    EXPECT_FALSE(FileExists(DesktopShortcut()));
}
