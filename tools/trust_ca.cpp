// Adds a CA certificate (PEM or DER file) to the LocalMachine "Root" store, so that WinINet
// accepts the test server. Run only inside the test Wine prefix.
// Usage: trust_ca <certificate file>
#include <windows.h>
#include <wincrypt.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct StoreHandle {
    HCERTSTORE h;
    explicit StoreHandle(HCERTSTORE store) : h(store) {}
    ~StoreHandle() { if (h) CertCloseStore(h, 0); }
    StoreHandle(const StoreHandle&) = delete;
    StoreHandle& operator=(const StoreHandle&) = delete;
};

bool ReadWhole(const char* path, std::string& out)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

// PEM text becomes DER; anything without a PEM header is taken as DER already.
bool ToDer(const std::string& file, std::vector<BYTE>& der)
{
    if (file.find("-----BEGIN") == std::string::npos) {
        der.assign(file.begin(), file.end());
        return !der.empty();
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(file.c_str(), (DWORD)file.size(), CRYPT_STRING_BASE64HEADER,
                              nullptr, &size, nullptr, nullptr))
        return false;
    der.resize(size);
    return CryptStringToBinaryA(file.c_str(), (DWORD)file.size(), CRYPT_STRING_BASE64HEADER,
                                der.data(), &size, nullptr, nullptr) != FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: trust_ca <certificate file (PEM or DER)>\n");
        return 2;
    }
    std::string file;
    if (!ReadWhole(argv[1], file)) {
        fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der;
    if (!ToDer(file, der)) {
        fprintf(stderr, "trust_ca: %s holds no certificate\n", argv[1]);
        return 1;
    }
    StoreHandle root(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root"));
    if (!root.h) {
        fprintf(stderr, "trust_ca: cannot open the LocalMachine Root store (error %lu)\n", GetLastError());
        return 1;
    }
    if (!CertAddEncodedCertificateToStore(root.h, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                          (DWORD)der.size(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        fprintf(stderr, "trust_ca: cannot add %s to the Root store (error 0x%08lx)\n", argv[1], GetLastError());
        return 1;
    }
    printf("trust_ca: %s added to the LocalMachine Root store\n", argv[1]);
    return 0;
}
