// The install-folder dialog, driven from a helper thread as a user would: typing, OK, Cancel, Browse.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "engine/Language.h"
#include "installer/InstallDlg.h"
#include "res/resource.h"
#include "tests/installer/DialogDriver.h"
#include "tests/installer/InstallTestKit.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestPaths.h"

using namespace installtest;
using testsupport::FileExists;
using testsupport::ScratchDir;

namespace {

const char* FullPathWarning() {
    return Txt("Indiquez un dossier complet, par exemple C:\\Jeux\\Velmora World.",
               "Enter a full folder path, for example C:\\Games\\Velmora World.");
}
const char* TooLongWarning() {
    return Txt("Chemin trop long : choisissez un dossier plus court (ex. C:\\Jeux\\Velmora World).",
               "Path too long: choose a shorter folder (e.g. C:\\Games\\Velmora World).");
}
const char* SystemFolderWarning() {
    return Txt("Program Files et Windows demandent des droits administrateur : choisissez un autre dossier.",
               "Program Files and Windows require administrator rights: choose another folder.");
}
const char* NoSpaceWarning() {
    return Txt("Espace disque insuffisant sur ce disque.", "Not enough disk space on this drive.");
}
const char* CannotWriteWarning() {
    return Txt("Impossible d'écrire dans ce dossier : choisissez-en un autre.",
               "Cannot write to this folder: choose another one.");
}

// What the space line must read, computed here from the system's own figures.
std::string Gigabytes(double bytes) {
    char text[64];
    snprintf(text, sizeof text, "%.1f %s", bytes / 1073741824.0, Txt("Go", "GB"));
    std::string result = text;
    if (g_bFrench)
        for (char& c : result)
            if (c == '.')
                c = ',';
    return result;
}

std::string SpaceLine(const std::string& required, const std::string& available) {
    char text[256];
    snprintf(text, sizeof text, Txt("Espace nécessaire : %s    -    disponible : %s",
                                    "Required space: %s    -    available: %s"),
             required.c_str(), available.c_str());
    return text;
}

double FreeBytes(const std::string& existingFolder);

// The space line for `existingFolder`'s free space. Other programs write to the disk between the
// moment the dialog computed the line and now, by hundreds of megabytes on a busy machine: the
// available figure is compared with a margin.
void ExpectSpaceLine(HWND dialog, const std::string& required, const std::string& existingFolder) {
    std::string line = ItemText(dialog, IDC_INSTALL_SPACE);
    double freeNow = FreeBytes(existingFolder);
    std::string head = SpaceLine(required, "");
    ASSERT_EQ(line.substr(0, head.size()), head) << line;
    std::string available = line.substr(head.size());
    std::string number = available;
    std::replace(number.begin(), number.end(), ',', '.');
    double bytes = atof(number.c_str()) * 1073741824.0;
    // Written as the dialog writes amounts: one decimal, the language's decimal mark and unit.
    EXPECT_EQ(Gigabytes(bytes), available) << line;
    EXPECT_NEAR(bytes, freeNow, 1073741824.0) << line;
}

double FreeBytes(const std::string& existingFolder) {
    ULARGE_INTEGER available = {};
    EXPECT_TRUE(GetDiskFreeSpaceExA(existingFolder.c_str(), &available, NULL, NULL)) << existingFolder;
    return (double)available.QuadPart;
}

std::string SystemFolder(int csidl) {
    char path[MAX_PATH] = "";
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path)));
    return path;
}

struct ChildTextSearch {
    std::string text;
    bool found;
};

BOOL CALLBACK CheckChildText(HWND child, LPARAM param) {
    ChildTextSearch* search = reinterpret_cast<ChildTextSearch*>(param);
    if (TextOf(child) == search->text)
        search->found = true;
    return !search->found;
}

bool HasChildWithText(HWND parent, const std::string& text) {
    ChildTextSearch search = {text, false};
    EnumChildWindows(parent, CheckChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A drive letter that this machine does not have.
std::string MissingDrive() {
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR)
            return std::string(1, letter) + ":";
    }
    ADD_FAILURE() << "no free drive letter";
    return "Q:";
}

// The dialog with a given requirement instead of the server's figure.
class FixedRequirementDlg : public CInstallDlg {
public:
    explicit FixedRequirementDlg(double required) : m_required(required) {}

protected:
    BOOL OnInitDialog() override {
        BOOL result = CInstallDlg::OnInitDialog();
        m_dRequiredBytes = m_required;
        UpdateSpaceInfo();
        return result;
    }

private:
    double m_required;
};

// The dialog of a process in which another box, owned by no window, comes up just before the dialog
// accepts its folder and closes, as the installer's own boxes follow the dialog.
class AnotherBoxOnOkDlg : public CInstallDlg {
public:
    ~AnotherBoxOnOkDlg() override {
        if (m_other.joinable())
            m_other.join();
    }

protected:
    void OnOK() override {
        m_other = std::thread([] { MessageBoxA(NULL, "Another step", "Another window", MB_OK); });
        const DWORD self = GetCurrentProcessId();
        EXPECT_TRUE(testsupport::WaitForTopWindow(
            [self](HWND w) { return testsupport::ProcessOf(w) == self && testsupport::IsMessageBox(w); },
            kWindowWaitMs));
        CInstallDlg::OnOK();
    }

private:
    std::thread m_other;
};

class InstallDialog : public ::testing::Test {
protected:
    void SetUp() override {
        // 5e9 bytes: 4.7 GB, well below the test machine's free space.
        PublishVersionFile("V.1.0\nnotes\n5000000000\n");
    }

    // Runs the dialog while `drive` works it; returns DoModal's result.
    INT_PTR Run(CInstallDlg& dlg, const std::function<void(HWND)>& drive) {
        INT_PTR result = 0;
        bool shown = DriveInstallDialog([&] { result = dlg.DoModal(); }, drive);
        EXPECT_TRUE(shown);
        return result;
    }

    // Types each folder in turn and expects OK to show `warning` for every one of them; then cancels.
    void ExpectRefused(const std::vector<std::string>& folders, const char* warning) {
        CInstallDlg dlg;
        INT_PTR result = Run(dlg, [&](HWND dialog) {
            for (const std::string& folder : folders) {
                SetItemText(dialog, IDC_INSTALL_FOLDER, folder);
                EXPECT_EQ(PressOkAndReadWarning(dialog), warning) << "folder: [" << folder << "]";
                EXPECT_TRUE(IsWindowVisible(dialog));
                EXPECT_EQ(ItemText(dialog, IDC_INSTALL_FOLDER), folder) << "the box stays as typed";
            }
            Press(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
    }

    // Types the folder, presses OK and expects the dialog to end with IDOK and `expected` as its folder.
    void ExpectAccepted(const std::string& typed, const std::string& expected) {
        CInstallDlg dlg;
        std::string warning;
        INT_PTR result = Run(dlg, [&](HWND dialog) {
            SetItemText(dialog, IDC_INSTALL_FOLDER, typed);
            warning = PressOkAndReadWarning(dialog);
        });
        EXPECT_EQ(warning, "") << "folder: [" << typed << "]";
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(std::string(dlg.m_strFolder), expected);
        DWORD attributes = GetFileAttributesA(expected.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << expected;
        EXPECT_FALSE(FileExists(expected + "\\ecriture.tmp"));
    }
};

} // namespace

TEST(Language, IsTheOneThisRunExpects) {
    const char* expected = getenv("VELMORA_EXPECT_FRENCH");
    ASSERT_NE(expected, nullptr) << "the test registration sets VELMORA_EXPECT_FRENCH";
    EXPECT_EQ(g_bFrench, atoi(expected));
}

TEST_F(InstallDialog, OpensWithItsTextsTheDefaultFolderAndTheSpaceLine) {
    char appData[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, appData)));
    std::string defaultFolder = std::string(appData) + "\\Velmora World";

    CInstallDlg dlg;
    EXPECT_EQ(dlg.m_dRequiredBytes, 2.9e9);
    EXPECT_TRUE(dlg.m_strFolder.IsEmpty());
    INT_PTR result = Run(dlg, [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Velmora World");
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_PROMPT),
                  Txt("Où installer Velmora World ? Le jeu sera téléchargé dans ce dossier et un raccourci sera "
                      "créé sur le Bureau.",
                      "Where should Velmora World be installed? The game will be downloaded into this folder and a "
                      "shortcut will be created on the Desktop."));
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_BROWSE), Txt("Parcourir...", "Browse..."));
        EXPECT_EQ(ItemText(dialog, IDOK), Txt("Installer", "Install"));
        EXPECT_EQ(ItemText(dialog, IDCANCEL), Txt("Annuler", "Cancel"));
        EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);

        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_FOLDER), defaultFolder);
        // The folder does not exist yet: the free space is the local application data folder's.
        ExpectSpaceLine(dialog, Gigabytes(5e9), appData);
        // Under Wine the activation that hands the focus over follows the window's showing a moment later.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        testsupport::WaitFor(
            [&] { return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &gui) && gui.hwndFocus != NULL; },
            kWindowWaitMs);
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(dialog, IDC_INSTALL_FOLDER)) << "the folder box has the focus";
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.m_dRequiredBytes, 5e9) << "the server's figure";
    EXPECT_EQ(std::string(dlg.m_strFolder), defaultFolder);
}

TEST_F(InstallDialog, TheSpaceLineFollowsEveryKeystroke) {
    std::string scratch = ScratchDir();
    std::string drive = MissingDrive();
    CInstallDlg dlg;
    Run(dlg, [&](HWND dialog) {
        TypeInto(dialog, IDC_INSTALL_FOLDER, drive + "\\Jeux");
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_FOLDER), drive + "\\Jeux");
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_SPACE), SpaceLine(Gigabytes(5e9), "?"));
        EXPECT_EQ(std::string(dlg.m_strFolder), drive + "\\Jeux");

        TypeInto(dialog, IDC_INSTALL_FOLDER, scratch + "\\New\\Velmora World");
        ExpectSpaceLine(dialog, Gigabytes(5e9), scratch);
        EXPECT_EQ(std::string(dlg.m_strFolder), scratch + "\\New\\Velmora World");

        // A relative folder has no known drive.
        TypeInto(dialog, IDC_INSTALL_FOLDER, "Jeux");
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_SPACE), SpaceLine(Gigabytes(5e9), "?"));
        Press(dialog, IDCANCEL);
    });
}

TEST_F(InstallDialog, AcceptsAFolderWithoutSurroundingBlanksAndTrailingBackslashes) {
    std::string folder = ScratchDir() + "\\Games\\Velmora World";
    ExpectAccepted("   " + folder + "\\\\\\  \t", folder);
}

TEST_F(InstallDialog, AcceptsAnExistingWritableFolderAndLeavesNoProbeFile) {
    std::string folder = ScratchDir() + "\\Existing";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ExpectAccepted(folder, folder);
}

TEST_F(InstallDialog, RefusesEmptyRelativeAndParentStepFolders) {
    ExpectRefused({"", "    ", "\\\\\\", "Velmora World", "Jeux\\Velmora World", "..\\Velmora World",
                   "..\\..\\Jeux"},
                  FullPathWarning());
}

TEST_F(InstallDialog, AcceptsA190CharacterPathAndRefusesLongerOnes) {
    std::string base = ScratchDir();
    std::string longest = PathOfLength(base, 190);
    ASSERT_EQ(longest.size(), 190u);
    ExpectRefused({PathOfLength(base, 191), PathOfLength(base, 259)}, TooLongWarning());
    EXPECT_FALSE(FileExists(PathOfLength(base, 191)));
    ExpectAccepted(longest, longest);
}

TEST_F(InstallDialog, RefusesTheSystemFoldersAndWhatLiesBelowThemInAnyCase) {
    std::vector<std::string> refused;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) {
        std::string system = SystemFolder(csidl);
        ASSERT_GT(system.size(), 3u);
        refused.push_back(system);
        refused.push_back(Upper(system) + "\\");
        refused.push_back(Lower(system) + "\\Velmora World");
        refused.push_back(system + "\\Games\\Deep\\Velmora World");
    }
    ExpectRefused(refused, SystemFolderWarning());
}

TEST_F(InstallDialog, AcceptsASiblingWhoseNameOnlyBeginsLikeASystemFolder) {
    std::string programFiles = SystemFolder(CSIDL_PROGRAM_FILES);
    std::string windows = SystemFolder(CSIDL_WINDOWS);
    for (const std::string& sibling : {programFiles + " Games", windows + "Games"}) {
        std::string folder = sibling + "\\Velmora World";
        ExpectAccepted(folder, folder);
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA(sibling.c_str());
    }
}

TEST_F(InstallDialog, RefusesAFolderOnADriveWithTooLittleSpace) {
    std::string scratch = ScratchDir();
    FixedRequirementDlg dlg(FreeBytes(scratch) + 50e9);
    INT_PTR result = Run(dlg, [&](HWND dialog) {
        SetItemText(dialog, IDC_INSTALL_FOLDER, scratch + "\\Velmora World");
        EXPECT_EQ(PressOkAndReadWarning(dialog), NoSpaceWarning());
        EXPECT_FALSE(FileExists(scratch + "\\Velmora World")) << "refused before anything is created";
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(dlg.m_strFolder), scratch + "\\Velmora World") << "already the full path";
}

TEST_F(InstallDialog, AFolderOnAMissingDriveShowsUnknownSpaceAndFailsOnlyTheWriteTest) {
    std::string folder = MissingDrive() + "\\Jeux\\Velmora World";
    // Even a requirement no disk could meet: unknown free space lets the folder through to the write test.
    FixedRequirementDlg dlg(9e11);
    INT_PTR result = Run(dlg, [&](HWND dialog) {
        SetItemText(dialog, IDC_INSTALL_FOLDER, folder);
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_SPACE), SpaceLine(Gigabytes(9e11), "?"));
        EXPECT_EQ(PressOkAndReadWarning(dialog), CannotWriteWarning());
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(InstallDialog, RefusesAFolderThatIsAFile) {
    std::string file = ScratchDir() + "\\taken";
    ASSERT_TRUE(testsupport::WriteWholeFile(file, "a file, not a folder"));
    ExpectRefused({file}, CannotWriteWarning());
    EXPECT_EQ(testsupport::ReadWholeFile(file), "a file, not a folder");
}

TEST_F(InstallDialog, BrowseCancelledChangesNothing) {
    // Choosing a folder in the picker cannot be driven reliably under Wine (its programmatic selection is
    // ignored while it reads the volumes); the rule applied to a picked path is tested on its own.
    CInstallDlg dlg;
    Run(dlg, [&](HWND dialog) {
        std::string before = ItemText(dialog, IDC_INSTALL_FOLDER);
        std::string beforeSpace = ItemText(dialog, IDC_INSTALL_SPACE);

        Press(dialog, IDC_INSTALL_BROWSE);
        HWND picker = WaitForOwnedDialog(dialog);
        ASSERT_NE(picker, (HWND)NULL) << "the folder picker did not open";
        EXPECT_TRUE(HasChildWithText(picker, Txt("Dossier où installer le jeu", "Folder to install the game in")));
        PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(testsupport::WaitUntilGone(picker, kWindowWaitMs));
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_FOLDER), before);
        EXPECT_EQ(ItemText(dialog, IDC_INSTALL_SPACE), beforeSpace);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(InstallDialog, ABoxTheDialogDoesNotOwnIsNotItsWarning) {
    std::string folder = ScratchDir() + "\\Accepted";
    AnotherBoxOnOkDlg dlg;
    std::string warning = "unset";
    std::vector<testsupport::AnsweredBox> other;
    INT_PTR result = Run(dlg, [&](HWND dialog) {
        SetItemText(dialog, IDC_INSTALL_FOLDER, folder);
        warning = PressOkAndReadWarning(dialog);
        other = testsupport::MessageBoxAnswerer({IDOK}, kWindowWaitMs).Wait();
    });
    EXPECT_EQ(warning, "") << "the other box was taken for the dialog's warning";
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(other.size(), 1u) << "the other box was closed as the dialog's warning";
    EXPECT_EQ(other[0].text, "Another step");
}
