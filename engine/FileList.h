// Turning the downloaded file list into download jobs (CUpdateContext::BuildDownloadList,
// declared with the context), and promoting the list once an update is complete.
#pragma once
#include <windows.h>
#include "engine/ListCheckResult.h"
#include "engine/ListLine.h"

// Moves "filelist.new" onto "filelist.txt", replacing it; MoveFileExA's result.
BOOL PromoteFileList();

// How the list builder hashes a local file; ComputeFileMd5 unless a test sets another
// (to count or observe hashing). Passing NULL restores ComputeFileMd5.
typedef BOOL (*ListDigestFn)(const char* path, char out[33]);
void SetListDigestHook(ListDigestFn digest);
