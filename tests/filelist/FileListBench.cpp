// What a player waits for while the launcher checks a game folder that is fully current:
// CUpdateContext::BuildDownloadList run as in the launcher (on the thread of the main window, which is
// on screen and is g_pMainDlg, so that every entry moves its bar; the HTTPS stack loaded by a request
// to nginx and kept open, as the worker keeps its connection), against bare loops that reach the same
// answer with the least work:
//   filelist       the everyday start, "filelist.txt" vouching for every digest;
//                  anchor: the list read and one attribute query per listed file
//   filelist-hash  no "filelist.txt" (as after a first install): every file hashed;
//                  anchor: the same, then every file read and hashed with one CryptoAPI context
// Rounds rotate the order of the four runs; the last lines give the medians. Run by `make bench`.
// Usage: filelist_bench [entries] [bytes per file]
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileList.h"
#include "engine/Md5.h"
#include "engine/UpdateContext.h"
#include "tests/bench/BenchReport.h"
#include "tests/bench/BenchWindow.h"
#include "tests/support/Content.h"
#include "tests/support/TestPaths.h"

using namespace testsupport;

namespace {

const int ROUNDS = 5;
// Files share a few contents, whose digests are computed once for the whole folder.
const unsigned CONTENTS = 16;
const DWORD READ_BLOCK = 1024 * 1024;

unsigned g_hashedFiles;

BOOL CountingDigest(const char* path, char out[33])
{
    ++g_hashedFiles;
    return ComputeFileMd5(path, out);
}

// One request to nginx through WinINet, whose TLS loads the crypto libraries; the handles stay open
// for the whole run, as the worker's connection does in the launcher.
class HttpsSession {
public:
    ~HttpsSession()
    {
        if (m_connection)
            InternetCloseHandle(m_connection);
        if (m_session)
            InternetCloseHandle(m_session);
    }
    bool Fetch(const char* host, const std::string& object)
    {
        m_session = InternetOpenA("VelmoraWorld", INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
        m_connection = InternetConnectA(m_session, host, 443, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0);
        LPCSTR accept[] = {"*/*", NULL};
        HINTERNET request = HttpOpenRequestA(m_connection, NULL, object.c_str(), "HTTP/1.1", NULL, accept,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE, 0);
        if (!request)
            return false;
        DWORD status = 0, size = sizeof status;
        bool ok = HttpSendRequestA(request, NULL, 0, NULL, 0) &&
                  HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, NULL) &&
                  status == 200;
        char buffer[4096];
        DWORD read = 0;
        while (ok && InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
        }
        InternetCloseHandle(request);
        return ok;
    }

private:
    HINTERNET m_session = NULL;
    HINTERNET m_connection = NULL;
};

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HeldFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    DWORD written = 0;
    return file.valid() && WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
           written == bytes.size();
}

// A fully current game folder of `entries` files (the game client first) and its list.
bool MakeGameFolder(const std::string& dir, unsigned entries, unsigned fileSize, std::string& list)
{
    std::vector<std::string> contents, digests;
    for (unsigned i = 0; i < CONTENTS; ++i) {
        contents.push_back(RandomBytes(fileSize, i + 1));
        digests.push_back(Md5Of(contents.back()));
    }
    CreateDirectoryA(JoinPath(dir, "data").c_str(), NULL);
    for (unsigned i = 0; i < entries; ++i) {
        char name[64];
        if (i == 0) {
            strcpy(name, "Vorn.exe");
        } else {
            snprintf(name, sizeof name, "data/%03u/file%05u.bin", i / 200, i);
            if (i % 200 == 0 || i == 1)
                CreateDirectoryA(JoinPath(dir, std::string(name, 8)).c_str(), NULL);
        }
        if (!WriteBytes(JoinPath(dir, name), contents[i % CONTENTS])) {
            fprintf(stderr, "cannot write %s\n", JoinPath(dir, name).c_str());
            return false;
        }
        list += bench::Format("%s|%u|%s\r\n", name, fileSize, digests[i % CONTENTS].c_str());
    }
    return true;
}

// The least work that finds the folder current: every listed file present with its listed size, and,
// with `hash`, its listed MD5. Returns the number of entries found current.
unsigned BareCheck(const std::string& dir, bool hash)
{
    HCRYPTPROV provider = 0;
    if (hash && !CryptAcquireContextA(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return 0;
    std::unique_ptr<BYTE[]> buffer(new BYTE[READ_BLOCK]);
    unsigned current = 0;
    FILE* list = fopen("filelist.new", "rb");
    char line[1024];
    while (list && fgets(line, sizeof line, list)) {
        char* size = strchr(line, '|');
        char* md5 = size ? strchr(size + 1, '|') : NULL;
        if (!md5)
            continue;
        *size++ = '\0';
        *md5++ = '\0';
        md5[strcspn(md5, "\r\n")] = '\0';
        std::string path = JoinPath(dir, line);
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) ||
            info.nFileSizeLow != strtoul(size, NULL, 10))
            continue;
        if (hash) {
            HeldFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, NULL));
            HCRYPTHASH digest = 0;
            if (!file.valid() || !CryptCreateHash(provider, CALG_MD5, 0, 0, &digest))
                continue;
            DWORD read = 0;
            while (ReadFile(file.get(), buffer.get(), READ_BLOCK, &read, NULL) && read > 0)
                CryptHashData(digest, buffer.get(), read, 0);
            BYTE value[16];
            DWORD length = sizeof value;
            char text[33] = "";
            if (CryptGetHashParam(digest, HP_HASHVAL, value, &length, 0))
                for (int i = 0; i < 16; ++i)
                    snprintf(text + 2 * i, 3, "%02x", value[i]);
            CryptDestroyHash(digest);
            if (strcmp(text, md5) != 0)
                continue;
        }
        ++current;
    }
    if (list)
        fclose(list);
    if (provider)
        CryptReleaseContext(provider, 0);
    return current;
}

enum Run { LAUNCHER_KNOWN, BARE_SCAN, LAUNCHER_HASHING, BARE_HASHING, RUN_KINDS };
const char* const kRunNames[RUN_KINDS] = {"launcher, filelist.txt", "bare attribute scan",
                                          "launcher, no filelist.txt", "bare read and MD5"};

// The runs of all rounds, one step after the other on the window's thread.
class ListRounds {
public:
    ListRounds(CBenchWindow& window, const std::string& dir, unsigned entries, const std::string& list)
        : m_window(window), m_dir(dir), m_entries(entries), m_list(list)
    {
    }

    void Step(int step)
    {
        int round = step / RUN_KINDS;
        Run kind = (Run)((step + round) % RUN_KINDS);
        bool launcher = kind == LAUNCHER_KNOWN || kind == LAUNCHER_HASHING;
        bool known = kind == LAUNCHER_KNOWN;
        if (launcher && !(known ? WriteBytes(JoinPath(m_dir, "filelist.txt"), m_list)
                                : DeleteFileA("filelist.txt") || GetLastError() == ERROR_FILE_NOT_FOUND)) {
            Fail(round, kind, "cannot prepare filelist.txt");
            return;
        }
        // The worker leaves the file bar full before the list is checked.
        m_window.m_progressFile.SetPos(100);
        m_window.Settle();
        g_hashedFiles = 0;
        double start = bench::NowMs();
        bool ok;
        if (launcher) {
            ListCheckResult result = g_update.BuildDownloadList();
            ok = result == LIST_OK && g_update.m_jobs.empty() && g_hashedFiles == (known ? 0 : m_entries);
        } else {
            ok = BareCheck(m_dir, kind == BARE_HASHING) == m_entries;
        }
        double ms = bench::NowMs() - start;
        if (!ok) {
            Fail(round, kind, bench::Format("did not find the folder current (%u file(s) hashed)", g_hashedFiles));
            return;
        }
        m_ms[kind].push_back(ms);
        printf("round %d  %-26s %8.1f ms\n", round + 1, kRunNames[kind], ms);
        fflush(stdout);
        if (step + 1 < ROUNDS * RUN_KINDS)
            m_window.Then([this, step] { Step(step + 1); });
        else
            m_window.Close();
    }

    bool Complete() const { return m_ms[RUN_KINDS - 1].size() == ROUNDS && m_ms[0].size() == ROUNDS; }

    void Report() const
    {
        printf("medians of %d rounds over %u files; launcher: the list check under the main window\n", ROUNDS,
               m_entries);
        bench::ReportMeasure("filelist", bench::Format("%.0f ms", bench::Median(m_ms[LAUNCHER_KNOWN])),
                             bench::Format("bare attribute scan %.0f ms", bench::Median(m_ms[BARE_SCAN])),
                             MedianRatio(BARE_SCAN, LAUNCHER_KNOWN), "0.50");
        bench::ReportMeasure("filelist-hash", bench::Format("%.0f ms", bench::Median(m_ms[LAUNCHER_HASHING])),
                             bench::Format("bare read and MD5 %.0f ms", bench::Median(m_ms[BARE_HASHING])),
                             MedianRatio(BARE_HASHING, LAUNCHER_HASHING), "0.50");
    }

private:
    double MedianRatio(Run anchor, Run launcher) const
    {
        std::vector<double> ratios;
        for (int round = 0; round < ROUNDS; ++round)
            ratios.push_back(m_ms[anchor][round] / m_ms[launcher][round]);
        return bench::Median(ratios);
    }

    void Fail(int round, Run kind, const std::string& why)
    {
        fprintf(stderr, "round %d, %s: %s\n", round + 1, kRunNames[kind], why.c_str());
        m_window.Close();
    }

    CBenchWindow& m_window;
    const std::string m_dir;
    const unsigned m_entries;
    const std::string m_list;
    std::vector<double> m_ms[RUN_KINDS];
};

} // namespace

int main(int argc, char** argv)
{
    const unsigned entries = argc > 1 ? (unsigned)strtoul(argv[1], NULL, 10) : 2000;
    const unsigned fileSize = argc > 2 ? (unsigned)strtoul(argv[2], NULL, 10) : 16384;
    if (entries == 0 || fileSize == 0) {
        fprintf(stderr, "usage: filelist_bench [entries] [bytes per file]\n");
        return 2;
    }

    std::string object = "/bench/https-check.txt";
    if (!WriteWholeFile(WwwDir() + "\\bench\\https-check.txt", "loads the HTTPS stack\r\n")) {
        fprintf(stderr, "cannot write the served file\n");
        return 1;
    }
    HttpsSession https;
    if (!https.Fetch("localhost", object)) {
        fprintf(stderr, "no answer from https://localhost%s: is nginx serving %s?\n", object.c_str(),
                WwwDir().c_str());
        return 1;
    }

    CurrentFolder folder;
    printf("Preparing %u files of %u bytes in %s\n", entries, fileSize, folder.Path().c_str());
    fflush(stdout);
    std::string list;
    if (!MakeGameFolder(folder.Path(), entries, fileSize, list) ||
        !WriteBytes(folder.Path("filelist.new"), list))
        return 1;
    lstrcpynA(g_update.m_szDir, folder.Path().c_str(), sizeof g_update.m_szDir);
    lstrcpynA(g_update.m_szExePath, folder.Path("Velmora World.exe").c_str(), sizeof g_update.m_szExePath);
    SetListDigestHook(CountingDigest);

    CBenchWindow window;
    ListRounds rounds(window, folder.Path(), entries, list);
    window.RunModal([&] { rounds.Step(0); });
    SetListDigestHook(NULL);
    if (!rounds.Complete())
        return 1;
    rounds.Report();
    return 0;
}
