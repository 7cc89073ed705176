// One line of the game's file list ("filelist.new" / "filelist.txt"): parsing, the name rule
// and the escaping of names into URL paths. Pure string code with no system calls, so that
// it also builds natively for the fuzz target.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#else
typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#endif

// What ParseListLine found in a line.
enum ListLineKind {
    LINE_INVALID = -1,      // entry line that breaks a rule: the whole list is refused
    LINE_SKIP = 0,          // empty line, comment, or "#defaut|" with nothing behind it
    LINE_FILE = 1,          // the local file must exist with the listed size and MD5
    LINE_DEFAULT_FILE = 2   // "#defaut|" entry: downloaded only when the file is missing
};

// The fields of one entry line. ParseListLine hands them out one by one; the builder keeps
// them only while it examines that line.
struct FILELIST_ENTRY {
    const char* szName;  // as written in the list, with "/"; points into the line buffer
    uint32_t dwSize;     // listed size in bytes
    const char* szMd5;   // 32 lower-case hex digits; points into the line buffer
    ListLineKind nKind;  // LINE_FILE or LINE_DEFAULT_FILE
};

// Size of the buffer a list line is read into; one read takes at most one byte less.
const int LIST_LINE_BUFFER = 1024;
// Longest name a list may hold.
const size_t LIST_NAME_MAX = 160;

// Classifies one line as read from the file and, for an entry, hands out its fields.
// The line is changed in place: cut at its first CR or LF, the two "|" separators become
// string ends, and name and md5 point into it. The outputs are set only for LINE_FILE and
// LINE_DEFAULT_FILE.
ListLineKind ParseListLine(char* line, const char** name, uint32_t* size, const char** md5);

// TRUE when a listed name is a safe relative path: 1 to 160 printable ASCII characters,
// no "\" or ":", no leading "/", and no empty, "." or ".." segment.
BOOL IsSafeListPath(const char* name);

// Writes `in` into `out` with every byte other than letters, digits and "-._~/" as %XX
// (upper-case hex). `out` must hold 3 * strlen(in) + 1 characters.
void EscapeUrlPath(const char* in, char* out);

// The list's size field, converted as the C library's strtoul with base 10 and a 32-bit
// unsigned long: leading white space and a sign are accepted, a negative number wraps, a
// magnitude beyond 4294967295 gives 4294967295. Returns FALSE when no digit was converted
// or anything follows the number.
BOOL ParseListSize(const char* field, uint32_t* value);
