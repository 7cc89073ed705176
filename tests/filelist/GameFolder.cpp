#include "GameFolder.h"

#include <stdio.h>
#include <string.h>

#include <gtest/gtest.h>

#include "engine/Md5.h"

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

void CreateFolders(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

std::string Backslashed(std::string s) {
    for (char& c : s) {
        if (c == '/')
            c = '\\';
    }
    return s;
}

}  // namespace

ScratchGameFolder::ScratchGameFolder(const std::string& subPath) {
    static unsigned s_count;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char root[MAX_PATH];
    // Fixed width, so tests can build folders of an exact length.
    snprintf(root, sizeof root, "%sfl%08lx%04x", temp, GetCurrentProcessId(), ++s_count & 0xFFFF);
    m_root = root;
    m_dir = subPath.empty() ? m_root : m_root + "\\" + subPath;
    RemoveTree(m_root);
    CreateFolders(m_dir);

    GetCurrentDirectoryA(sizeof m_savedDir, m_savedDir);
    EXPECT_TRUE(SetCurrentDirectoryA(m_dir.c_str())) << m_dir;

    strncpy(g_update.m_szDir, m_dir.c_str(), sizeof g_update.m_szDir - 1);
    snprintf(g_update.m_szExePath, sizeof g_update.m_szExePath, "%s\\Velmora World.exe", m_dir.c_str());
    g_update.m_jobs.clear();
    g_update.m_bSelfUpdate = 0;
}

ScratchGameFolder::~ScratchGameFolder() {
    SetCurrentDirectoryA(m_savedDir);
    RemoveTree(m_root);
    memset(g_update.m_szDir, 0, sizeof g_update.m_szDir);
    memset(g_update.m_szExePath, 0, sizeof g_update.m_szExePath);
    g_update.m_jobs.clear();
    g_update.m_bSelfUpdate = 0;
}

std::string ScratchGameFolder::PathOf(const std::string& name) const {
    return m_dir + "\\" + Backslashed(name);
}

std::string ScratchGameFolder::Put(const std::string& name, const std::string& content) const {
    const std::string path = PathOf(name);
    const size_t slash = path.rfind('\\');
    CreateFolders(path.substr(0, slash));
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_TRUE(f != nullptr) << path;
    if (f) {
        fwrite(content.data(), 1, content.size(), f);
        fclose(f);
    }
    return Md5Of(content);
}

void ScratchGameFolder::MakeFolder(const std::string& name) const {
    CreateFolders(PathOf(name));
}

bool ScratchGameFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ScratchGameFolder::Read(const std::string& name) const {
    std::string content;
    FILE* f = fopen(PathOf(name).c_str(), "rb");
    if (!f)
        return content;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    fclose(f);
    return content;
}

std::vector<std::string> ScratchGameFolder::LogMessages() const {
    std::vector<std::string> messages;
    const std::string log = Read("PatchLog.txt");
    size_t pos = 0;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        if (end == std::string::npos)
            end = log.size();
        std::string line = log.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t tab = line.find('\t');
        messages.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
        pos = end + 1;
    }
    return messages;
}

std::string ScratchGameFolder::Md5Of(const std::string& content) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char path[MAX_PATH];
    GetTempFileNameA(temp, "md5", 0, path);
    FILE* f = fopen(path, "wb");
    if (f) {
        fwrite(content.data(), 1, content.size(), f);
        fclose(f);
    }
    char md5[33] = "";
    EXPECT_TRUE(ComputeFileMd5(path, md5));
    DeleteFileA(path);
    return md5;
}

std::string ListEntry(const std::string& name, size_t size, const std::string& md5) {
    return name + "|" + std::to_string(size) + "|" + md5 + "\n";
}
