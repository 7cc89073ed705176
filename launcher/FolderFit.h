// Whether the launcher's folder leaves room for the paths the program makes there.
#pragma once
#include <windows.h>

// TRUE when every path the program builds from the launcher's whole path fits in MAX_PATH - 1
// characters: the longest working name in its folder, and its own path with the longest suffix.
BOOL GameFolderFits(const char* exePath);

// The message for a game folder whose path is too long, in the user's language.
const char* FolderTooLongText();
