#include "engine/Md5.h"
#include <wincrypt.h>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/FileHandle.h"

namespace {

const DWORD kReadBlockBytes = 1048576;

class CryptoContext {
public:
    CryptoContext() = default;
    ~CryptoContext() { if (m_h) CryptReleaseContext(m_h, 0); }
    CryptoContext(const CryptoContext&) = delete;
    CryptoContext& operator=(const CryptoContext&) = delete;
    bool acquire() { return CryptAcquireContextA(&m_h, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) != FALSE; }
    HCRYPTPROV get() const { return m_h; }
private:
    HCRYPTPROV m_h = 0;
};

class CryptoHash {
public:
    CryptoHash() = default;
    ~CryptoHash() { if (m_h) CryptDestroyHash(m_h); }
    CryptoHash(const CryptoHash&) = delete;
    CryptoHash& operator=(const CryptoHash&) = delete;
    bool create(HCRYPTPROV provider) { return CryptCreateHash(provider, CALG_MD5, 0, 0, &m_h) != FALSE; }
    HCRYPTHASH get() const { return m_h; }
private:
    HCRYPTHASH m_h = 0;
};

} // namespace

BOOL ComputeFileMd5(const char* path, char out[33])
{
    out[0] = '\0';
    // Declared first so that it goes last: hash, context, file, then the buffer.
    std::unique_ptr<BYTE[]> buffer;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid())
        return FALSE;

    // Declared so that the hash goes before the context it was made in.
    CryptoContext context;
    CryptoHash hash;
    if (!context.acquire() || !hash.create(context.get()))
        return FALSE;

    // Called from the worker thread too: running out of memory is a failed digest, not an exception.
    buffer.reset(new (std::nothrow) BYTE[kReadBlockBytes]);
    if (!buffer)
        return FALSE;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer.get(), kReadBlockBytes, &read, nullptr))
            return FALSE;
        if (read == 0)
            break;
        if (!CryptHashData(hash.get(), buffer.get(), read, 0))
            return FALSE;
    }

    BYTE digest[16];
    DWORD digestLength = sizeof digest;
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &digestLength, 0) || digestLength != sizeof digest)
        return FALSE;
    for (int i = 0; i < 16; ++i)
        snprintf(out + 2 * i, 3, "%02x", digest[i]);
    return TRUE;
}
