// What a player gets from the downloader: a whole worker run (CUpdater::Start) that fetches 256 MiB
// from nginx while the launcher's main window is on screen and its thread runs the modal loop,
// against a bare WinINet read-and-write loop on a thread of its own under the same window. The job
// carries no MD5, so that both do the same work but for the window. After an untimed warm-up, rounds
// alternate which one goes first; the last line gives the medians. Run by `make bench` (tools/bench.sh).
#include "DownloadTestKit.h"
#include "tests/bench/BenchReport.h"
#include "tests/bench/BenchWindow.h"
#include "tests/support/Content.h"
#include "tests/support/TestPaths.h"
#include <cstdio>
#include <thread>

using namespace testsupport;

namespace {

const DWORD FILE_SIZE = 256u * 1024 * 1024;
const int ROUNDS = 5;
const char HOST[] = "localhost";
const char URL[] = "bench/big256.bin";

double MiBPerSecond(double ms)
{
    return FILE_SIZE / (1024.0 * 1024.0) / (ms / 1000.0);
}

bool PrepareSource(const std::string& path)
{
    if (SizeOf(path) == (long long)FILE_SIZE)
        return true;
    HeldFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    if (!file.valid())
        return false;
    for (DWORD done = 0; done < FILE_SIZE; done += 1024 * 1024) {
        std::string block = RandomBytes(1024 * 1024, done >> 20);
        DWORD written = 0;
        if (!WriteFile(file.get(), block.data(), (DWORD)block.size(), &written, NULL) || written != block.size())
            return false;
    }
    return true;
}

// The least a program must do to fetch the file: one request, read, write.
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

// The downloads of all rounds, one step after the other on the window's thread.
class DownloadRounds {
public:
    DownloadRounds(CBenchWindow& window, const std::string& target) : m_window(window), m_target(target) {}
    ~DownloadRounds()
    {
        if (m_bare.joinable())
            m_bare.join();
    }

    void Run(int step)
    {
        int round = step / 2;
        bool launcher = (step % 2 == 0) == (round % 2 == 0);
        DeleteFileA(m_target.c_str());
        DeleteFileA((m_target + ".part").c_str());
        m_window.Settle();
        double start = bench::NowMs();
        if (launcher) {
            m_context.m_jobs.assign(1, MakeJob(m_target, URL));
            m_window.m_onWorkerEnd = [this, step, start](bool done) {
                Finish(step, true, bench::NowMs() - start, done && SizeOf(m_target) == (long long)FILE_SIZE);
            };
            m_window.m_pUpdater->Start(&m_context);
        } else {
            m_bare = std::thread([this, step, start] {
                bool ok = BareDownload(m_target);
                m_window.Then([this, step, start, ok] {
                    double ms = bench::NowMs() - start;
                    m_bare.join();
                    Finish(step, false, ms, ok);
                });
            });
        }
    }

    bool Complete() const { return m_launcherMs.size() == ROUNDS && m_bareMs.size() == ROUNDS; }

    void Report() const
    {
        std::vector<double> launcher, bare, ratios;
        for (int round = 0; round < ROUNDS; ++round) {
            launcher.push_back(MiBPerSecond(m_launcherMs[round]));
            bare.push_back(MiBPerSecond(m_bareMs[round]));
            ratios.push_back(m_bareMs[round] / m_launcherMs[round]);
        }
        printf("medians of %d rounds; launcher: worker run under the main window; anchor: bare WinINet loop\n",
               ROUNDS);
        bench::ReportMeasure("download", bench::Format("%.1f MiB/s", bench::Median(launcher)),
                             bench::Format("bare loop %.1f MiB/s", bench::Median(bare)), bench::Median(ratios),
                             "0.95");
    }

private:
    void Finish(int step, bool launcher, double ms, bool ok)
    {
        if (!ok) {
            fprintf(stderr, "round %d: the %s did not fetch %s whole\n", step / 2 + 1,
                    launcher ? "launcher" : "bare loop", URL);
            m_window.Close();
            return;
        }
        (launcher ? m_launcherMs : m_bareMs).push_back(ms);
        printf("round %d  %-18s %6.2f s  %6.1f MiB/s\n", step / 2 + 1, launcher ? "launcher" : "bare WinINet loop",
               ms / 1000.0, MiBPerSecond(ms));
        fflush(stdout);
        if (step + 1 < 2 * ROUNDS)
            m_window.Then([this, step] { Run(step + 1); });
        else
            m_window.Close();
    }

    CBenchWindow& m_window;
    const std::string m_target;
    CUpdateContext m_context;
    std::thread m_bare;
    std::vector<double> m_launcherMs, m_bareMs;
};

} // namespace

int main()
{
    std::string source = WwwDir() + "\\bench\\big256.bin";
    CreateDirectoryA((WwwDir() + "\\bench").c_str(), NULL);
    if (!PrepareSource(source)) {
        fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }
    CurrentFolder folder;
    // Untimed: loads WinINet and its TLS, warms the server and the caches, and makes sure the server
    // answers before a worker would ask the user what to do about it.
    if (!BareDownload(folder.Path("big256.bin"))) {
        fprintf(stderr, "no answer from https://%s/%s: is nginx serving %s?\n", HOST, URL, WwwDir().c_str());
        return 1;
    }
    CBenchWindow window;
    window.m_pUpdater->m_strHost = HOST;
    DownloadRounds rounds(window, folder.Path("big256.bin"));
    window.RunModal([&] { rounds.Run(0); });
    DeleteFileA(folder.Path("big256.bin").c_str());
    if (!rounds.Complete())
        return 1;
    rounds.Report();
    return 0;
}
