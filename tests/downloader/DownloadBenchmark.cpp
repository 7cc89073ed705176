// What a player gets from the downloader: a whole worker run (CUpdater::Start) that fetches a file
// from nginx while the launcher's main window is on screen and its thread runs the modal loop,
// against a bare WinINet read-and-write loop on a thread of its own under the same window. The job
// carries no MD5, so that both do the same work but for the window. After an untimed warm-up, rounds
// alternate which one goes first; the last line gives the medians. Run by `make bench`
// (tools/bench.sh), once per measure:
//   download       speed on loopback, where nginx answers every read at once
//   download-1cpu  the same with the process held to one CPU, as on a small machine
//   download-cpu   the process's CPU time per MiB, with nginx sending about 12 MiB/s as a fast line
//                  does (tools/bench.sh starts it so): what a player pays while reads wait for data
#include "DownloadTestKit.h"
#include "tests/bench/BenchReport.h"
#include "tests/bench/BenchWindow.h"
#include "tests/support/Content.h"
#include "tests/support/TestPaths.h"
#include <cstdio>
#include <cstring>
#include <thread>

using namespace testsupport;

namespace {

const int ROUNDS = 7;
const char HOST[] = "localhost";

struct Measure {
    const char* name;
    const char* url;
    DWORD size;
    bool oneCpu;
    bool cpu; // the figure is CPU time per MiB, not speed
    const char* goal;
};

const Measure MEASURES[] = {
    {"download", "bench/big256.bin", 256u << 20, false, false, "0.9"},
    {"download-1cpu", "bench/big256.bin", 256u << 20, true, false, "0.9"},
    {"download-cpu", "bench/big96.bin", 96u << 20, false, true, "0.77"},
};

double MiB(DWORD bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// Kernel and user time of the whole process, in milliseconds.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return (double)(k.QuadPart + u.QuadPart) / 10000.0;
}

bool PrepareSource(const std::string& path, DWORD size)
{
    if (SizeOf(path) == (long long)size)
        return true;
    HeldFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    if (!file.valid())
        return false;
    for (DWORD done = 0; done < size; done += 1024 * 1024) {
        std::string block = RandomBytes(1024 * 1024, done >> 20);
        DWORD written = 0;
        if (!WriteFile(file.get(), block.data(), (DWORD)block.size(), &written, NULL) || written != block.size())
            return false;
    }
    return true;
}

// The least a program must do to fetch the file: one request, read, write.
bool BareDownload(const std::string& url, const std::string& target, DWORD size)
{
    static BYTE buffer[DOWNLOAD_CHUNK_SIZE];
    bool ok = false;
    HINTERNET session = InternetOpenA(DOWNLOAD_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    HINTERNET connection = InternetConnectA(session, HOST, DOWNLOAD_PORT, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0);
    LPCSTR accept[] = {"*/*", NULL};
    HINTERNET request = HttpOpenRequestA(connection, NULL, ("/" + url).c_str(), "HTTP/1.1", NULL, accept,
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
    return ok && SizeOf(target) == (long long)size;
}

struct Round {
    double ms;
    double cpuMs;
};

// The downloads of all rounds, one step after the other on the window's thread.
class DownloadRounds {
public:
    DownloadRounds(CBenchWindow& window, const Measure& measure, const std::string& target)
        : m_window(window), m_measure(measure), m_target(target)
    {
    }
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
        Round start = {bench::NowMs(), ProcessCpuMs()};
        if (launcher) {
            m_context.m_jobs.assign(1, MakeJob(m_target, m_measure.url));
            m_window.m_onWorkerEnd = [this, step, start](bool done) {
                Finish(step, true, start, done && SizeOf(m_target) == (long long)m_measure.size);
            };
            m_window.m_pUpdater->Start(&m_context);
        } else {
            m_bare = std::thread([this, step, start] {
                bool ok = BareDownload(m_measure.url, m_target, m_measure.size);
                m_window.Then([this, step, start, ok] {
                    m_bare.join();
                    Finish(step, false, start, ok);
                });
            });
        }
    }

    bool Complete() const { return m_launcher.size() == ROUNDS && m_bareRounds.size() == ROUNDS; }

    void Report() const
    {
        std::vector<double> launcher, bare, launcherMs, bareMs, ratios;
        for (int round = 0; round < ROUNDS; ++round) {
            launcher.push_back(Figure(m_launcher[round]));
            bare.push_back(Figure(m_bareRounds[round]));
            launcherMs.push_back(m_launcher[round].ms);
            bareMs.push_back(m_bareRounds[round].ms);
            ratios.push_back(m_measure.cpu ? bare.back() / launcher.back() : launcher.back() / bare.back());
        }
        printf("medians of %d rounds; launcher: worker run under the main window; anchor: bare WinINet loop\n",
               ROUNDS);
        std::string launcherFigure, bareFigure;
        if (m_measure.cpu) {
            launcherFigure = bench::Format("%.2f ms CPU/MiB in %.2f s", bench::Median(launcher),
                                           bench::Median(launcherMs) / 1000.0);
            bareFigure = bench::Format("bare loop %.2f ms CPU/MiB in %.2f s", bench::Median(bare),
                                       bench::Median(bareMs) / 1000.0);
        } else {
            launcherFigure = bench::Format("%.1f MiB/s", bench::Median(launcher));
            bareFigure = bench::Format("bare loop %.1f MiB/s", bench::Median(bare));
        }
        bench::ReportMeasure(m_measure.name, launcherFigure, bareFigure, bench::Median(ratios), m_measure.goal);
    }

private:
    // MiB/s, or CPU milliseconds per MiB.
    double Figure(const Round& round) const
    {
        return m_measure.cpu ? round.cpuMs / MiB(m_measure.size) : MiB(m_measure.size) / (round.ms / 1000.0);
    }

    void Finish(int step, bool launcher, const Round& start, bool ok)
    {
        Round took = {bench::NowMs() - start.ms, ProcessCpuMs() - start.cpuMs};
        if (!ok) {
            fprintf(stderr, "round %d: the %s did not fetch %s whole\n", step / 2 + 1,
                    launcher ? "launcher" : "bare loop", m_measure.url);
            m_window.Close();
            return;
        }
        (launcher ? m_launcher : m_bareRounds).push_back(took);
        printf("round %d  %-18s %6.2f s  %6.1f MiB/s  %6.2f ms CPU/MiB\n", step / 2 + 1,
               launcher ? "launcher" : "bare WinINet loop", took.ms / 1000.0, MiB(m_measure.size) / (took.ms / 1000.0),
               took.cpuMs / MiB(m_measure.size));
        fflush(stdout);
        if (step + 1 < 2 * ROUNDS)
            m_window.Then([this, step] { Run(step + 1); });
        else
            m_window.Close();
    }

    CBenchWindow& m_window;
    const Measure& m_measure;
    const std::string m_target;
    CUpdateContext m_context;
    std::thread m_bare;
    std::vector<Round> m_launcher, m_bareRounds;
};

const Measure* FindMeasure(const char* name)
{
    for (const Measure& measure : MEASURES)
        if (strcmp(measure.name, name) == 0)
            return &measure;
    return NULL;
}

// Holds the whole process, the threads it makes later included, to the first CPU it may use.
bool HoldToOneCpu()
{
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || !process)
        return false;
    DWORD_PTR first = process & (~process + 1);
    return SetProcessAffinityMask(GetCurrentProcess(), first) && GetProcessAffinityMask(GetCurrentProcess(), &process,
                                                                                        &system) &&
           process == first;
}

} // namespace

int main(int argc, char** argv)
{
    const Measure* measure = FindMeasure(argc > 1 ? argv[1] : "download");
    if (!measure) {
        fprintf(stderr, "usage: download_benchmark [download|download-1cpu|download-cpu]\n");
        return 2;
    }
    if (measure->oneCpu && !HoldToOneCpu()) {
        fprintf(stderr, "cannot hold the process to one CPU\n");
        return 1;
    }
    std::string source = JoinPath(WwwDir(), measure->url);
    CreateDirectoryA((WwwDir() + "\\bench").c_str(), NULL);
    if (!PrepareSource(source, measure->size)) {
        fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }
    CurrentFolder folder;
    std::string target = folder.Path("bench.bin");
    // Untimed: loads WinINet and its TLS, warms the server and the caches, and makes sure the server
    // answers before a worker would ask the user what to do about it.
    if (!BareDownload(measure->url, target, measure->size)) {
        fprintf(stderr, "no answer from https://%s/%s: is nginx serving %s?\n", HOST, measure->url, WwwDir().c_str());
        return 1;
    }
    CBenchWindow window;
    window.m_pUpdater->m_strHost = HOST;
    DownloadRounds rounds(window, *measure, target);
    window.RunModal([&] { rounds.Run(0); });
    DeleteFileA(target.c_str());
    if (!rounds.Complete())
        return 1;
    rounds.Report();
    return 0;
}
