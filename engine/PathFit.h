// Paths and command lines the program builds are refused, never cut, when they do not fit: a
// shortened path would name some other file.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdio>

// Formats into the buffer; FALSE, with the buffer emptied, when the whole text does not fit.
BOOL FormatWhole(char* out, size_t size, const char* format, ...)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 3, 4)));

// Paths in the ANSI code page, whose double-byte characters are never split.
// The position of the last backslash, never a trail byte of a double-byte character; -1 when none.
int LastBackslash(const char* path);
// "C:\": the root of a drive. Its backslash belongs to it: "C:" alone names the drive's current folder.
bool IsDriveRoot(const char* path);

// The folder, a backslash and the name; a folder that ends with its backslash (a drive root) gets
// no second one. FALSE when the path would be longer than MAX_PATH - 1 characters.
BOOL JoinFolderPath(char (&out)[MAX_PATH], const char* folder, const char* name);

// What precedes the path's last backslash. A drive root keeps its backslash: "C:" alone would
// mean the current folder of drive C:. FALSE when the path has no backslash.
BOOL FolderOfPath(const char* path, char (&out)[MAX_PATH]);

// The running executable's full path. FALSE when the system could not give it whole (it cuts a
// path that does not fit the buffer, without a string end on some systems).
BOOL GetOwnExePath(char (&out)[MAX_PATH]);
