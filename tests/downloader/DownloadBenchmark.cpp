// Throughput of CUpdater::DownloadWithRetry against a bare WinINet read-and-write loop, both on
// a worker thread while this thread carries out the window updates, on 256 MiB from nginx.
// Run inside tools/testenv.sh with nginx started (tools/nginx-fixture.sh start <build>).
#include "DownloadTestKit.h"
#include "engine/Md5.h"
#include "tests/support/Content.h"
#include "tests/support/Pump.h"
#include "tests/support/TestPaths.h"
#include <cstdio>
#include <thread>

using namespace testsupport;

namespace {

const size_t FILE_SIZE = 256u * 1024 * 1024;
const char* HOST = "localhost";
const char* URL = "bench/big256.bin";

double Seconds(DWORD ms)
{
    return ms / 1000.0;
}

double MiBPerSecond(DWORD ms)
{
    return (FILE_SIZE / (1024.0 * 1024.0)) / Seconds(ms ? ms : 1);
}

bool PrepareSource(const std::string& path)
{
    if (SizeOf(path) == (long long)FILE_SIZE)
        return true;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (size_t done = 0; done < FILE_SIZE && ok; done += 1024 * 1024) {
        std::string block = RandomBytes(1024 * 1024, (unsigned)(done >> 20));
        DWORD written = 0;
        ok = WriteFile(h, block.data(), (DWORD)block.size(), &written, NULL) && written == block.size();
    }
    CloseHandle(h);
    return ok;
}

// Runs body on a thread while this thread handles messages; returns the elapsed milliseconds.
DWORD TimeOnWorker(const std::function<void()>& body)
{
    volatile bool done = false;
    DWORD start = GetTickCount();
    std::thread worker([&] {
        body();
        done = true;
    });
    PumpUntil([&] { return done; }, 30 * 60 * 1000);
    worker.join();
    return GetTickCount() - start;
}

bool BareDownload(const std::string& target)
{
    static BYTE buffer[DOWNLOAD_CHUNK_SIZE];
    bool ok = false;
    HINTERNET session = InternetOpenA(DOWNLOAD_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    HINTERNET connection = InternetConnectA(session, HOST, DOWNLOAD_PORT, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0);
    LPCSTR accept[] = {"*/*", NULL};
    HINTERNET request = HttpOpenRequestA(connection, NULL, (std::string("/") + URL).c_str(), "HTTP/1.1", NULL, accept,
                                         DOWNLOAD_REQUEST_FLAGS, 0);
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (request && file != INVALID_HANDLE_VALUE && HttpSendRequestA(request, NULL, 0, NULL, 0)) {
        DWORD read = 0, written = 0;
        ok = true;
        while (ok && InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0)
            ok = WriteFile(file, buffer, read, &written, NULL) && written == read;
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (request)
        InternetCloseHandle(request);
    if (connection)
        InternetCloseHandle(connection);
    if (session)
        InternetCloseHandle(session);
    return ok && SizeOf(target) == (long long)FILE_SIZE;
}

} // namespace

int main()
{
    std::string www = WwwDir();
    CreateDirectoryA((www + "\\bench").c_str(), NULL);
    std::string source = www + "\\bench\\big256.bin";
    if (!PrepareSource(source)) {
        fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }
    char md5[33];
    ComputeFileMd5(source.c_str(), md5);

    CurrentFolder folder;
    CTestLauncherDlg dlg;
    if (!dlg.Open()) {
        fprintf(stderr, "cannot open the main window\n");
        return 1;
    }
    CUpdater& updater = *dlg.m_pUpdater;
    updater.m_strHost = HOST;
    CUpdateContext context;
    updater.m_pContext = &context;
    std::string target = folder.Path("big256.bin");

    DWORD best[3] = {MAXDWORD, MAXDWORD, MAXDWORD};
    // Three rounds, each in another order, so that no kind always runs on a warm or a cold cache.
    for (int round = 0; round < 3; ++round) {
        for (int step = 0; step < 3; ++step) {
            int kind = (step + round) % 3;
            DeleteFileA(target.c_str());
            DeleteFileA((target + ".part").c_str());
            bool ok = false;
            DWORD ms;
            if (kind == 2) {
                ms = TimeOnWorker([&] { ok = BareDownload(target); });
            } else {
                context.m_jobs.clear();
                context.m_jobs.push_back(MakeJob(target, URL, kind == 1 ? md5 : ""));
                ms = TimeOnWorker([&] {
                    ok = updater.Connect() && updater.DownloadWithRetry(&context.m_jobs.back()) == DL_OK;
                });
            }
            if (!ok || SizeOf(target) != (long long)FILE_SIZE) {
                fprintf(stderr, "download %d of round %d failed\n", kind, round);
                return 1;
            }
            printf("round %d %-28s %6.2f s  %7.1f MiB/s\n", round + 1,
                   kind == 0 ? "DownloadWithRetry" : kind == 1 ? "DownloadWithRetry + MD5" : "bare WinINet loop",
                   Seconds(ms), MiBPerSecond(ms));
            fflush(stdout);
            if (ms < best[kind])
                best[kind] = ms;
        }
    }
    printf("best: DownloadWithRetry %.1f MiB/s, with MD5 check %.1f MiB/s, bare loop %.1f MiB/s\n",
           MiBPerSecond(best[0]), MiBPerSecond(best[1]), MiBPerSecond(best[2]));
    printf("ratio DownloadWithRetry / bare loop: %.3f (with MD5 check: %.3f)\n",
           MiBPerSecond(best[0]) / MiBPerSecond(best[2]), MiBPerSecond(best[1]) / MiBPerSecond(best[2]));
    dlg.DestroyWindow();
    DeleteFileA(target.c_str());
    return 0;
}
