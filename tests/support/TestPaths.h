// Paths and whole-file helpers for tests running under Wine (drive Z: is the Linux root).
#pragma once
#include <string>

namespace testsupport {

// The Windows path of a Linux path: "/a/b" -> "Z:\a\b"; a Windows path is returned unchanged.
std::string WindowsPath(const std::string& linuxPath);

// The build folder, as a Windows path.
std::string BuildDir();

// The folder that the test web server (https://localhost/) serves; created if missing.
// Tests run in parallel: each program keeps to a subfolder of its own.
std::string WwwDir();

// The test web server's access log: request line, Range header, status, body bytes, tab-separated.
std::string NginxAccessLog();

// Empties the folder (read-only files and subfolders too), creating it if missing; returns it.
std::string FreshFolder(const std::string& path);

// A fresh empty folder for the running test, under the build folder; the same one for the whole test.
std::string ScratchDir();

// The whole content of a file (any sharing); records a test failure and returns "" if unreadable.
std::string ReadWholeFile(const std::string& path);

// Replaces the file's content, making missing folders; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& data);

bool FileExists(const std::string& path);

} // namespace testsupport
