// Paths, folders and whole files for tests running under Wine (drive Z: is the Linux root).
#pragma once
#include <windows.h>
#include <string>

namespace testsupport {

// The Windows path of a Linux path: "/a/b" -> "Z:\a\b"; a Windows path is returned unchanged.
std::string WindowsPath(const std::string& linuxPath);

// The build folder, as a Windows path, and a path below it ('/' or '\' between the names).
std::string BuildDir();
std::string BuildPath(const std::string& relative);

// The folder that the test web server (https://localhost/) serves; created if missing.
// Tests run in parallel: each program keeps to a subfolder of its own.
std::string WwwDir();

// The test web server's access log: request line, Range header, status, body bytes, tab-separated.
std::string NginxAccessLog();

// The fault server's folder (tools/faultserver.py): "www" it serves, "rules" it follows, its logs.
std::string FaultServerDir();

// The executable's name without folder and extension: the title of the program's message boxes.
std::string ProgramName();

// folder + "\" + name, with the '/' of `name` made '\'.
std::string JoinPath(const std::string& folder, const std::string& name);

// Empties the folder (read-only files and subfolders too), creating it if missing; returns it.
std::string FreshFolder(const std::string& path);

// Removes the folder with everything in it (read-only files too).
void RemoveTree(const std::string& path);

// Copies a folder's files and subfolders into `to` (created if missing); false if anything failed.
bool CopyTree(const std::string& from, const std::string& to);

// A fresh empty folder for the running test, the same one for the whole test: C:\tests\<program>\<test> on
// the test prefix's own drive, a short root that does not move with the checkout, so that tests have
// room for long names however deep the project is.
std::string ScratchDir();

// The whole content of a file (any sharing); records a test failure and returns "" if unreadable.
std::string ReadWholeFile(const std::string& path);

// The same, or "" without a failure when there is no such file or it cannot be read now.
std::string ReadIfReadable(const std::string& path);

// Replaces the file's content, making missing folders; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& data);

bool FileExists(const std::string& path);
bool IsFolder(const std::string& path);

// The size of a file, or -1 when there is none.
long long SizeOf(const std::string& path);

// A sparse file of `size` zero bytes (cheap even for gigabytes); false on failure.
bool MakeZeroFile(const std::string& path, long long size);

// A fresh folder (in the temporary folder, or in `root`, with the path `below` inside it), removed with
// its content when the object goes. Its name has a fixed length, so that tests can build paths of an
// exact length.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& root = std::string(), const std::string& below = std::string());
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Path(const std::string& name) const { return JoinPath(m_path, name); }

private:
    std::string m_root;
    std::string m_path;
};

// A scratch folder that is the current directory while it lives (so that "PatchLog.txt" lands in it).
class CurrentFolder : public ScratchFolder {
public:
    explicit CurrentFolder(const std::string& root = std::string(), const std::string& below = std::string());
    ~CurrentFolder();

private:
    std::string m_previous;
};

// An open file handle, closed when it goes.
class HeldFile {
public:
    explicit HeldFile(HANDLE handle) : m_handle(handle) {}
    ~HeldFile()
    {
        if (valid())
            CloseHandle(m_handle);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace testsupport
