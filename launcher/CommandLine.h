// The two switches of the launcher's command line (the arguments after the program's own name).
#pragma once
#include <string>

// "/installe" followed by a blank and a double quotation mark: the second stage of an install.
extern const char kInstallSwitch[];
// The restart after a self-update.
extern const char kRelaunchSwitch[];

// Plain, case-sensitive substring tests, anywhere in the arguments.
bool HasInstallSwitch(const char* args);
bool HasRelaunchSwitch(const char* args);

// The first copy's path given after the install switch, up to the next double quotation mark;
// empty when there is no install switch, no closing mark or nothing between the marks.
std::string DownloadedCopyPath(const char* args);
