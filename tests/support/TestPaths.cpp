#include "tests/support/TestPaths.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>

namespace testsupport {

namespace {

struct FileHandle {
    HANDLE h;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    ~FileHandle() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

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
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteContents(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
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

std::string FreshFolder(const std::string& path)
{
    DeleteContents(path);
    MakeFolders(path);
    return path;
}

std::string ScratchDir()
{
    static std::string lastTest, lastDir;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
    std::replace(name.begin(), name.end(), '/', '_');
    if (name != lastTest || lastDir.empty()) {
        lastTest = name;
        lastDir = FreshFolder(BuildDir() + "\\scratch\\" + ProgramName() + "\\" + name);
    }
    return lastDir;
}

std::string ReadWholeFile(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << path << " (error " << GetLastError() << ")";
        return std::string();
    }
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    return data;
}

bool WriteWholeFile(const std::string& path, const std::string& data)
{
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        MakeFolders(path.substr(0, slash));
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.h == INVALID_HANDLE_VALUE)
        return false;
    size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = (DWORD)std::min<size_t>(data.size() - done, 1u << 20);
        DWORD written = 0;
        if (!WriteFile(file.h, data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace testsupport
