#include "tests/installer/InstallTestKit.h"

#include <shlobj.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "engine/Language.h"
#include "tests/support/TestPaths.h"

namespace installtest {

const char* Txt(const char* french, const char* english) { return g_bFrench ? french : english; }

void PublishVersionFile(const std::string& content) {
    ASSERT_TRUE(testsupport::WriteWholeFile(testsupport::WwwDir() + "\\files\\pc\\Vers.txt", content));
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

std::vector<std::string> LogMessages(const std::string& folder) {
    std::vector<std::string> messages;
    std::string path = folder + "\\PatchLog.txt";
    if (!testsupport::FileExists(path))
        return messages;
    std::string text = testsupport::ReadWholeFile(path);
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find("\r\n", begin);
        EXPECT_NE(end, std::string::npos) << "log line without CR LF: " << text.substr(begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        // "MM/DD-hh:mm:ss<TAB>message"
        EXPECT_TRUE(line.size() > 15 && line[2] == '/' && line[5] == '-' && line[8] == ':' && line[11] == ':' &&
                    line[14] == '\t')
            << line;
        messages.push_back(line.size() > 15 ? line.substr(15) : line);
        begin = end + 2;
    }
    return messages;
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
