#pragma once
#include <windows.h>

// Owns a handle from CreateFileA and closes it when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() { if (valid()) CloseHandle(m_h); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE get() const { return m_h; }
private:
    HANDLE m_h;
};
