#include "launcher/CommandLine.h"
#include <cstring>

const char kInstallSwitch[] = "/installe \"";
const char kRelaunchSwitch[] = "/relance";

bool HasInstallSwitch(const char* args)
{
    return args && strstr(args, kInstallSwitch) != NULL;
}

bool HasRelaunchSwitch(const char* args)
{
    return args && strstr(args, kRelaunchSwitch) != NULL;
}

std::string DownloadedCopyPath(const char* args)
{
    const char* found = args ? strstr(args, kInstallSwitch) : NULL;
    if (!found)
        return std::string();
    const char* path = found + strlen(kInstallSwitch);
    const char* close = strchr(path, '"');
    if (!close)
        return std::string();
    return std::string(path, close);
}
