#include "tests/installer/InstallTestKit.h"

#include <shlobj.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>

#include "engine/Language.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WaitFor.h"

namespace installtest {

const char* Txt(const char* french, const char* english) { return g_bFrench ? french : english; }

void PublishVersionFile(const std::string& content) {
    ASSERT_TRUE(testsupport::WriteWholeFile(testsupport::WwwDir() + "\\files\\pc\\Vers.txt", content));
}

FaultServerRules::FaultServerRules()
    : m_file(testsupport::FaultServerDir() + "\\rules\\" + testsupport::ProgramName() + ".rules") {
    DeleteFileA(m_file.c_str());
}

FaultServerRules::~FaultServerRules() { DeleteFileA(m_file.c_str()); }

void FaultServerRules::Set(const std::string& rules) {
    // Renamed into place, so that the server never reads half a file.
    std::string next = m_file + ".new";
    ASSERT_TRUE(testsupport::WriteWholeFile(next, rules));
    ASSERT_TRUE(MoveFileExA(next.c_str(), m_file.c_str(), MOVEFILE_REPLACE_EXISTING));
}

void FaultServerRules::Publish(const std::string& urlPath, const std::string& content) {
    ASSERT_TRUE(testsupport::WriteWholeFile(testsupport::JoinPath(testsupport::FaultServerDir() + "\\www",
                                                                  urlPath.substr(1)),
                                            content));
}

namespace {

const char kDriveMarker[] = "mapped-drive.marker";

} // namespace

MappedDrive::MappedDrive() {
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) {
        ADD_FAILURE() << "WINEPREFIX is not set: run the test in tools/testenv.sh";
        return;
    }
    m_link = std::string(prefix) + "/dosdevices/n:";
    m_folder = testsupport::FreshFolder(testsupport::ScratchDir() + "\\drive-n");
    std::string linuxFolder = testsupport::UnixPath(m_folder);
    if (linuxFolder.empty()) {
        ADD_FAILURE() << "no Unix path for " << m_folder;
        return;
    }
    if (!testsupport::WriteWholeFile(m_folder + "\\" + kDriveMarker, "N:") ||
        !testsupport::StartLinuxProgram("/bin/ln -sfn \"" + linuxFolder + "\" \"" + m_link + "\"")) {
        ADD_FAILURE() << "cannot map drive N: to " << m_folder;
        return;
    }
    m_ready = testsupport::WaitFor(
        [] { return testsupport::FileExists(Root() + kDriveMarker) && GetDriveTypeA(Root().c_str()) == DRIVE_FIXED; },
        20000);
    EXPECT_TRUE(m_ready) << "drive N: did not come up as " << m_folder;
}

MappedDrive::~MappedDrive() {
    if (m_link.empty())
        return;
    EXPECT_TRUE(testsupport::StartLinuxProgram("/bin/rm -f \"" + m_link + "\""));
    EXPECT_TRUE(testsupport::WaitFor([] { return !testsupport::FileExists(Root() + kDriveMarker); }, 20000))
        << "drive N: stayed";
}

ShortcutInfo ReadShortcut(const std::string& linkPath) {
    ShortcutInfo info;
    HRESULT init = CoInitialize(NULL);
    IShellLinkA* link = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH] = L"";
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[1024] = "";
                info.loaded = true;
                if (SUCCEEDED(link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH)))
                    info.target = text;
                text[0] = '\0';
                if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
                    info.workingFolder = text;
                text[0] = '\0';
                if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                    info.description = text;
                text[0] = '\0';
                if (SUCCEEDED(link->GetArguments(text, sizeof text)))
                    info.arguments = text;
                text[0] = '\0';
                if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &info.iconIndex)))
                    info.iconPath = text;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return info;
}

namespace {
std::string ShortcutIn(int csidl) {
    char folder[MAX_PATH] = "";
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, folder)));
    return std::string(folder) + "\\Velmora World.lnk";
}
} // namespace

std::string DesktopShortcut() { return ShortcutIn(CSIDL_DESKTOPDIRECTORY); }
std::string ProgramsShortcut() { return ShortcutIn(CSIDL_PROGRAMS); }

void RemoveShortcuts() {
    for (const std::string& path : {DesktopShortcut(), ProgramsShortcut()}) {
        DeleteFileA(path.c_str());
        ASSERT_FALSE(testsupport::FileExists(path)) << path;
    }
}

void ExpectShortcutsTo(const std::string& target, const std::string& folder) {
    for (const std::string& link : {DesktopShortcut(), ProgramsShortcut()}) {
        ShortcutInfo info = ReadShortcut(link);
        ASSERT_TRUE(info.loaded) << link;
        EXPECT_EQ(Lower(info.target), Lower(target)) << link;
        EXPECT_EQ(info.workingFolder, folder) << link;
        EXPECT_EQ(info.description, "Velmora World") << link;
        EXPECT_EQ(info.arguments, "") << link;
        EXPECT_EQ(Lower(info.iconPath), Lower(target)) << link;
        EXPECT_EQ(info.iconIndex, 0) << link;
    }
}

bool MutexExists(const std::string& name) {
    HANDLE opened = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (opened)
        CloseHandle(opened);
    return opened != NULL;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return (char)toupper(c); });
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return (char)tolower(c); });
    return text;
}

std::string PathOfLength(const std::string& base, size_t length) {
    std::string path = base;
    while (path.size() < length) {
        size_t room = length - path.size() - 1; // after the backslash
        if (room == 0) { // a one-character element cannot follow: lengthen the previous one
            path.insert(path.size(), 1, 'x');
            continue;
        }
        path += "\\" + std::string(std::min<size_t>(room, 60), 'p');
    }
    return path;
}

} // namespace installtest
