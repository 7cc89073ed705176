#include "engine/Signature.h"
#include "engine/FileHandle.h"
#include "engine/Log.h"
#include "BuildSettings.h"
#include <bcrypt.h>
#include <cstring>
#include <new>

const BYTE g_publicKeys[][64] = {
    {VELMORA_PUBLIC_KEY_BYTES},
};
const size_t g_publicKeyCount = sizeof g_publicKeys / sizeof g_publicKeys[0];

namespace {

const DWORD kSignatureBytes = 64;

class Algorithm {
public:
    Algorithm() = default;
    ~Algorithm() { if (m_h) BCryptCloseAlgorithmProvider(m_h, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    bool open(LPCWSTR name) { return BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&m_h, name, nullptr, 0)); }
    BCRYPT_ALG_HANDLE get() const { return m_h; }
private:
    BCRYPT_ALG_HANDLE m_h = nullptr;
};

class Hash {
public:
    Hash() = default;
    ~Hash() { if (m_h) BCryptDestroyHash(m_h); }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    bool create(BCRYPT_ALG_HANDLE alg)
    {
        return BCRYPT_SUCCESS(BCryptCreateHash(alg, &m_h, nullptr, 0, nullptr, 0, 0));
    }
    BCRYPT_HASH_HANDLE get() const { return m_h; }
private:
    BCRYPT_HASH_HANDLE m_h = nullptr;
};

class Key {
public:
    Key() = default;
    ~Key() { if (m_h) BCryptDestroyKey(m_h); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool importPublic(BCRYPT_ALG_HANDLE alg, BYTE* blob, ULONG blobLength)
    {
        return BCRYPT_SUCCESS(BCryptImportKeyPair(alg, nullptr, BCRYPT_ECCPUBLIC_BLOB, &m_h, blob, blobLength, 0));
    }
    BCRYPT_KEY_HANDLE get() const { return m_h; }
private:
    BCRYPT_KEY_HANDLE m_h = nullptr;
};

void PutLittleEndian32(BYTE* at, DWORD value)
{
    at[0] = (BYTE)value;
    at[1] = (BYTE)(value >> 8);
    at[2] = (BYTE)(value >> 16);
    at[3] = (BYTE)(value >> 24);
}

} // namespace

BOOL ReadWholeFile(const char* path, std::vector<BYTE>& bytes)
{
    bytes.clear();
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return FALSE;
    DWORD high = 0;
    DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size > kMaxSignedListBytes)
        return FALSE;
    if (size == 0)
        return TRUE;
    // Up to 256 MiB in one piece may not be found in a 32-bit process: a list that cannot be read.
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    DWORD read = 0;
    return ReadFile(file.get(), bytes.data(), size, &read, nullptr) && read == size;
}

BOOL VerifyEcdsaP256(const BYTE* data, DWORD dataLength, const BYTE* signature, DWORD signatureLength,
                     const BYTE* key)
{
    if (!data || !signature || signatureLength != kSignatureBytes || !key)
        return FALSE;

    BYTE blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    PutLittleEndian32(blob, BCRYPT_ECDSA_PUBLIC_P256_MAGIC);
    PutLittleEndian32(blob + 4, 32);
    memcpy(blob + 8, key, 64);

    // Declared in reverse order of release: key, hash, ECDSA provider, SHA-256 provider.
    Algorithm sha256;
    Algorithm ecdsa;
    Hash hash;
    Key publicKey;
    BYTE digest[32];
    if (!sha256.open(BCRYPT_SHA256_ALGORITHM) || !hash.create(sha256.get()) ||
        !BCRYPT_SUCCESS(BCryptHashData(hash.get(), const_cast<BYTE*>(data), dataLength, 0)) ||
        !BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digest, sizeof digest, 0)) ||
        !ecdsa.open(BCRYPT_ECDSA_P256_ALGORITHM) ||
        !publicKey.importPublic(ecdsa.get(), blob, sizeof blob))
        return FALSE;
    NTSTATUS status = BCryptVerifySignature(publicKey.get(), nullptr, digest, sizeof digest,
                                            const_cast<BYTE*>(signature), signatureLength, 0);
    return status == 0;
}

BOOL VerifyFileListSignature()
{
    std::vector<BYTE> list;
    std::vector<BYTE> signature;
    bool listPresent = ReadWholeFile("filelist.new", list) && !list.empty();
    bool signatureRead = ReadWholeFile("filelist.sig", signature);
    bool signatureWellFormed = signatureRead && signature.size() == kSignatureBytes;

    const char* word;
    if (listPresent && signatureWellFormed) {
        for (size_t i = 0; i < g_publicKeyCount; ++i) {
            if (VerifyEcdsaP256(list.data(), (DWORD)list.size(), signature.data(), kSignatureBytes,
                                g_publicKeys[i])) {
                PatchLog("SIGNATURE OK (cle %d, liste %u octets)", (int)i, (unsigned)list.size());
                return TRUE;
            }
        }
        word = "fausse";
    } else if (signatureWellFormed) {
        word = "fausse";
    } else if (signature.empty()) {
        word = "absente";
    } else {
        word = "mal formee";
    }
    PatchLog("SIGNATURE refusee : liste %u octets, signature %s", (unsigned)list.size(), word);
    return FALSE;
}
