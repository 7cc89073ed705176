#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>
#include <winioctl.h>
#include <algorithm>
#include <cstdio>

namespace testsupport {

namespace {

void MakeFolders(const std::string& path)
{
    for (size_t pos = path.find('\\', 3); pos != std::string::npos; pos = path.find('\\', pos + 1))
        CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

void DeleteContents(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool Read(const std::string& path, std::string& data)
{
    HeldFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    return true;
}

std::string TempRoot()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string root = temp;
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    return root;
}

} // namespace

std::string WindowsPath(const std::string& linuxPath)
{
    if (linuxPath.size() >= 2 && linuxPath[1] == ':')
        return linuxPath;
    std::string path = "Z:" + linuxPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string BuildDir()
{
    return WindowsPath(VELMORA_BUILD_DIR);
}

std::string BuildPath(const std::string& relative)
{
    return JoinPath(BuildDir(), relative);
}

std::string WwwDir()
{
    std::string www = BuildDir() + "\\www";
    MakeFolders(www);
    return www;
}

std::string NginxAccessLog()
{
    return BuildDir() + "\\nginx\\logs\\access.log";
}

std::string FaultServerDir()
{
    return BuildDir() + "\\faultserver";
}

std::string ProgramName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    std::string path = folder + "\\" + name;
    std::replace(path.begin() + folder.size(), path.end(), '/', '\\');
    return path;
}

std::string FreshFolder(const std::string& path)
{
    DeleteContents(path);
    MakeFolders(path);
    return path;
}

void RemoveTree(const std::string& path)
{
    DeleteContents(path);
    RemoveDirectoryA(path.c_str());
}

bool CopyTree(const std::string& from, const std::string& to)
{
    MakeFolders(to);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + "\\" + name, to + "\\" + name) && ok;
        else
            ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return ok;
}

std::string ScratchDir()
{
    static std::string lastTest, lastDir;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
    std::replace(name.begin(), name.end(), '/', '_');
    if (name != lastTest || lastDir.empty()) {
        lastTest = name;
        lastDir = FreshFolder("C:\\tests\\" + ProgramName() + "\\" + name);
    }
    return lastDir;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string data;
    if (!Read(path, data))
        ADD_FAILURE() << "cannot open " << path << " (error " << GetLastError() << ")";
    return data;
}

std::string ReadIfReadable(const std::string& path)
{
    std::string data;
    Read(path, data);
    return data;
}

bool WriteWholeFile(const std::string& path, const std::string& data)
{
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        MakeFolders(path.substr(0, slash));
    HeldFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = (DWORD)std::min<size_t>(data.size() - done, 1u << 20);
        DWORD written = 0;
        if (!WriteFile(file.get(), data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

long long SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info))
        return -1;
    return ((long long)info.nFileSizeHigh << 32) | info.nFileSizeLow;
}

bool MakeZeroFile(const std::string& path, long long size)
{
    HeldFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file.valid())
        return false;
    DWORD ignored;
    DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

ScratchFolder::ScratchFolder(const std::string& root, const std::string& below)
{
    static LONG counter = 0;
    char name[32];
    snprintf(name, sizeof name, "\\t%08lx%04lx", GetCurrentProcessId(),
             (unsigned long)(InterlockedIncrement(&counter) & 0xFFFF));
    m_root = (root.empty() ? TempRoot() : root) + name;
    m_path = below.empty() ? m_root : JoinPath(m_root, below);
    RemoveTree(m_root);
    MakeFolders(m_path);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_root);
}

CurrentFolder::CurrentFolder(const std::string& root, const std::string& below) : ScratchFolder(root, below)
{
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    EXPECT_TRUE(SetCurrentDirectoryA(Path().c_str())) << Path();
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryA(m_previous.c_str());
}

} // namespace testsupport
