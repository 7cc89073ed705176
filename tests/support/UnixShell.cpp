#include "tests/support/UnixShell.h"

#include <windows.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace testsupport {

std::string UnixPath(const std::string& windowsPath)
{
    if (windowsPath.size() < 3 || !isalpha((unsigned char)windowsPath[0]) || windowsPath.compare(1, 2, ":\\") != 0)
        return "";
    std::string path = windowsPath.substr(2);
    std::replace(path.begin(), path.end(), '\\', '/');
    char drive = (char)tolower((unsigned char)windowsPath[0]);
    if (drive == 'z')
        return path;
    const char* prefix = getenv("WINEPREFIX");
    return prefix ? std::string(prefix) + "/dosdevices/" + drive + ":" + path : "";
}

bool StartLinuxProgram(const std::string& commandLine)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

bool StartThroughUnixShell(const std::string& exe, const std::string& arguments, const std::string& folder,
                           const std::string& exitCodeFile)
{
    // The loader that runs this program.
    const char* loader = getenv("WINELOADER");
    std::string values[] = {UnixPath(folder), loader ? loader : "", UnixPath(exe), UnixPath(exitCodeFile)};
    for (const std::string& value : values)
        if (value.empty())
            return false;
    // The shell's $0 to $3 are the values, the rest the program's arguments: Wine hands a Unix program
    // its arguments as Windows splits a command line.
    std::string commandLine = "Z:\\bin\\sh -c \"f=\\\"$3\\\"; l=\\\"$1\\\"; e=\\\"$2\\\"; shift 3; cd \\\"$0\\\" && "
                              "\\\"$l\\\" \\\"$e\\\" \\\"$@\\\"; echo $? > \\\"$f\\\"\"";
    for (const std::string& value : values)
        commandLine += " \"" + value + "\"";
    commandLine += " " + arguments;
    return StartLinuxProgram(commandLine);
}

} // namespace testsupport
