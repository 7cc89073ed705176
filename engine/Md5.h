// MD5 of local files, as the file list and the downloader compare them.
#pragma once
#include <windows.h>

// TRUE with the file's MD5 as 32 lower-case hex digits in `out` (33 characters);
// FALSE with an empty `out` when the file cannot be opened, read or hashed.
// Keeps no state between calls: callable from any thread.
BOOL ComputeFileMd5(const char* path, char out[33]);
