// Helpers for the engine-core tests: a scratch folder that is the current directory for the
// length of a test, and whole-file reads and writes.
#pragma once
#include <windows.h>
#include <string>

// Linux path of the build (as compiled in) -> the same place seen from Wine, through drive Z:.
std::string WinePath(const std::string& linuxPath);

// Path of one of the files made at build time by make_fixtures.py.
std::string FixturePath(const char* name);

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Creates a fresh folder under the temporary folder and makes it the current directory;
// restores the previous current directory and removes the folder when it goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
};

// An open file handle, closed when it goes.
class HeldFile {
public:
    explicit HeldFile(HANDLE h) : m_h(h) {}
    ~HeldFile() { if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }

private:
    HANDLE m_h;
};
