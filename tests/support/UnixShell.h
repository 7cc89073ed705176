// Programs started from a Unix shell, as Wine's loader starts them: Wine's own CreateProcess finds no
// program whose path has 260 characters or more, which Windows can start.
#pragma once
#include <string>

namespace testsupport {

// The Unix path of a path on a drive of the Wine prefix: drive Z: is the Unix root, the others are reached
// through their links in $WINEPREFIX/dosdevices. "" for a path that does not start with a drive.
std::string UnixPath(const std::string& windowsPath);

// Starts a Linux program by its command line (Wine runs it natively). Its handle cannot be waited on:
// wait for its effect. False when it did not start.
bool StartLinuxProgram(const std::string& commandLine);

// Runs "<exe>" with the arguments (Windows quoting) in the folder, through Wine's loader from a Unix
// shell, and writes its exit code and a line end into `exitCodeFile` once it has ended. There is no
// Windows process to wait for: wait for that file. False when the shell did not start.
bool StartThroughUnixShell(const std::string& exe, const std::string& arguments, const std::string& folder,
                           const std::string& exitCodeFile);

} // namespace testsupport
