#include "tests/support/Content.h"

#include <windows.h>
#include <wincrypt.h>
#include <cstdio>
#include <random>

namespace testsupport {

std::string RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = (char)(generator() & 0xFF);
    return bytes;
}

std::string Md5Of(const std::string& bytes)
{
    std::string hex;
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return hex;
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
        BYTE digest[16];
        DWORD length = sizeof digest;
        if (CryptHashData(hash, (const BYTE*)bytes.data(), (DWORD)bytes.size(), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0)) {
            char text[33];
            for (int i = 0; i < 16; ++i)
                snprintf(text + 2 * i, 3, "%02x", digest[i]);
            hex = text;
        }
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return hex;
}

} // namespace testsupport
