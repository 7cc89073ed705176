#include "engine/PathFit.h"
#include <mbstring.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

BOOL FormatWhole(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(out, size, format, args);
    va_end(args);
    if (length < 0 || (size_t)length >= size) {
        if (size > 0)
            out[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

int LastBackslash(const char* path)
{
    const unsigned char* start = reinterpret_cast<const unsigned char*>(path);
    const unsigned char* found = _mbsrchr(start, '\\');
    return found ? (int)(found - start) : -1;
}

bool IsDriveRoot(const char* path)
{
    char letter = (char)(path[0] | 0x20);
    return letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\' && path[3] == '\0';
}

BOOL JoinFolderPath(char (&out)[MAX_PATH], const char* folder, const char* name)
{
    int length = (int)strlen(folder);
    const char* separator = length > 0 && LastBackslash(folder) == length - 1 ? "" : "\\";
    return FormatWhole(out, sizeof out, "%s%s%s", folder, separator, name);
}

BOOL FolderOfPath(const char* path, char (&out)[MAX_PATH])
{
    int cut = LastBackslash(path);
    if (cut < 0) {
        out[0] = '\0';
        return FALSE;
    }
    size_t length = (size_t)cut;
    bool root = length == 0 || (length == 2 && path[1] == ':');
    if (root)
        ++length;
    if (length >= sizeof out) {
        out[0] = '\0';
        return FALSE;
    }
    memcpy(out, path, length);
    out[length] = '\0';
    return TRUE;
}

BOOL GetOwnExePath(char (&out)[MAX_PATH])
{
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetModuleFileNameA(NULL, out, sizeof out);
    if (length == 0 || length >= sizeof out || GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        out[0] = '\0';
        return FALSE;
    }
    return TRUE;
}
