// Authentication of the published file list: "filelist.sig" must be an ECDSA P-256 signature
// of "filelist.new" under one of the keys compiled into the program.
#pragma once
#include <windows.h>
#include <cstddef>
#include <vector>

// The trusted public keys, tried in order; each is X then Y, 32 bytes big-endian each.
extern const BYTE g_publicKeys[][64];
extern const size_t g_publicKeyCount;

// Largest list that can be read into memory and verified.
const DWORD kMaxSignedListBytes = 268435456;

// TRUE when "filelist.new" in the current directory is signed by "filelist.sig" under one of
// g_publicKeys. Writes exactly one log line and leaves both files as they are.
BOOL VerifyFileListSignature();

// TRUE only when `signature` (64 bytes, r then s) is a valid ECDSA P-256 signature of the
// SHA-256 digest of `data` under `key` (64 bytes, X then Y).
BOOL VerifyEcdsaP256(const BYTE* data, DWORD dataLength, const BYTE* signature, DWORD signatureLength,
                     const BYTE* key);

// Empties `bytes`, then reads the whole file into it. TRUE when the whole file lies in `bytes`
// (an empty file gives TRUE and no bytes); FALSE for a missing or unreadable file, one larger
// than kMaxSignedListBytes, or one for which no memory is left.
BOOL ReadWholeFile(const char* path, std::vector<BYTE>& bytes);
