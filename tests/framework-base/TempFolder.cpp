#include "TempFolder.h"

#include <windows.h>
#include <stdexcept>

TempFolder::TempFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    m_path = std::string(base) + "fwbase-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (!::CreateDirectoryA(m_path.c_str(), NULL)) throw std::runtime_error("cannot create " + m_path);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = m_path + "\\" + name;
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(full.c_str());
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(m_path.c_str());
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    ::WriteFile(h, content.data(), (DWORD)content.size(), &written, NULL);
    ::CloseHandle(h);
    if (written != content.size()) throw std::runtime_error("cannot write " + path);
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &read, NULL) && read > 0) content.append(buffer, read);
    ::CloseHandle(h);
    return content;
}
