#include "installer/InstallDlg.h"

#include <wininet.h>
#include <stdlib.h>
#include <string.h>

#include "BuildSettings.h"

namespace {

const DWORD kTimeoutMs = 5000;
const DWORD kMaxBody = 1023;

class CInternetHandle {
public:
    explicit CInternetHandle(HINTERNET h) : m_h(h) {}
    ~CInternetHandle() {
        if (m_h != NULL)
            InternetCloseHandle(m_h);
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    operator HINTERNET() const { return m_h; }

private:
    HINTERNET m_h;
};

// Whether the answer came over HTTPS: redirects are followed, and one may have led to plain HTTP,
// whose answer anyone on the way could have written.
bool CameOverHttps(HINTERNET request) {
    char url[INTERNET_MAX_URL_LENGTH + 1] = "";
    DWORD size = sizeof(url);
    if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size))
        return false;
    url[sizeof(url) - 1] = '\0';
    return _strnicmp(url, "https://", 8) == 0;
}

// The number on the third line of the version file; 0 when the text has fewer than three lines.
double ThirdLineValue(const char* text) {
    const char* line = strchr(text, '\n');
    if (line != NULL)
        line = strchr(line + 1, '\n');
    return line != NULL ? atof(line + 1) : 0;
}

} // namespace

double FetchRequiredSpace() { return FetchRequiredSpaceFrom(VELMORA_GAME_HOST); }

double FetchRequiredSpaceFrom(const char* host) {
    CInternetHandle session(InternetOpenA("VelmoraWorld", INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0));
    if (session == NULL)
        return DEFAULT_REQUIRED_BYTES;
    DWORD timeout = kTimeoutMs;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));

    CString url;
    url.Format("https://%s/files/pc/Vers.txt", host);
    // Declared after the session, so it is closed first.
    CInternetHandle request(
        InternetOpenUrlA(session, url, NULL, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (request == NULL || !CameOverHttps(request))
        return DEFAULT_REQUIRED_BYTES;

    // The status is not looked at: whatever body came is parsed.
    char body[kMaxBody + 1];
    DWORD total = 0;
    while (total < kMaxBody) {
        DWORD got = 0;
        if (!InternetReadFile(request, body + total, kMaxBody - total, &got) || got == 0)
            break;
        total += got;
    }
    body[total] = '\0';

    double value = ThirdLineValue(body);
    return value > 1e8 && value < 1e12 ? value : DEFAULT_REQUIRED_BYTES;
}
