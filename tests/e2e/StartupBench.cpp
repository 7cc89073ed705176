// What a player waits for at every start: the real launcher, started as a process in an installed
// game folder with nothing to update, until its status label shows "Ready to play"; against a bare
// process start of the same Wine (a program that does nothing, started and waited for the same way).
// One start of each to warm up, then three rounds alternating which goes first; the last line gives
// the medians. Run by `make bench` after make_games.py, with nginx and nothing else running: under
// ctest's parallel run it measures the machine's load instead.
#include <cstdio>
#include <string>
#include <vector>
#include "res/resource.h"
#include "tests/bench/BenchReport.h"
#include "tests/e2e/E2eKit.h"
#include "tests/support/PatchLog.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

using namespace e2e;
using namespace testsupport;

namespace {

const int ROUNDS = 3;
const DWORD START_TIMEOUT_MS = 60000;

bool IsReady(const std::string& status)
{
    return status == "Ready to play" || status == "Prêt à jouer";
}

// Milliseconds from the launcher's start to "Ready to play", after which it is quit; < 0 on failure.
double TimeLauncher(const std::string& folder)
{
    Launcher launcher;
    double start = bench::NowMs();
    if (!launcher.Start(folder + "\\Velmora World.exe", "", folder)) {
        fprintf(stderr, "the launcher did not start\n");
        return -1;
    }
    bool ready = WaitFor([&] { return IsReady(launcher.Text(IDC_STATUS)) || !launcher.Running(); },
                         START_TIMEOUT_MS) &&
                 IsReady(launcher.Text(IDC_STATUS));
    double ms = bench::NowMs() - start;
    if (!ready) {
        fprintf(stderr, "the launcher did not get ready: status \"%s\"\n", launcher.Text(IDC_STATUS).c_str());
        return -1;
    }
    std::vector<std::string> log = LogMessages(folder);
    if (CountStartingWith(log, "NeedDownload: ") != 0) {
        fprintf(stderr, "the launcher found files to update in %s\n", folder.c_str());
        return -1;
    }
    if (!launcher.Quit()) {
        fprintf(stderr, "the launcher did not quit\n");
        return -1;
    }
    return ms;
}

// Milliseconds from the start of a program that does nothing to its end; < 0 on failure.
double TimeBareStart()
{
    double start = bench::NowMs();
    ChildResult noop = RunChild("\"" + NoopExe() + "\"", START_TIMEOUT_MS);
    double ms = bench::NowMs() - start;
    if (!noop.started || noop.timedOut) {
        fprintf(stderr, "%s did not run\n", NoopExe().c_str());
        return -1;
    }
    return ms;
}

} // namespace

int main()
{
    ScratchFolder scratch(std::string(), "Game Folder");
    const std::string folder = scratch.Path();
    InstallGameFolder("v1", folder);
    ServeOnNginx("v1");
    if (::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed() || !HoldsGame("v1", folder)) {
        fprintf(stderr, "cannot install or serve the published game v1 (run tests/e2e/make_games.py first)\n");
        return 1;
    }

    if (TimeLauncher(folder) < 0 || TimeBareStart() < 0)
        return 1;
    std::vector<double> launcher, bare, ratios;
    for (int round = 0; round < ROUNDS; ++round) {
        double launcherMs, bareMs;
        if (round % 2 == 0) {
            launcherMs = TimeLauncher(folder);
            bareMs = TimeBareStart();
        } else {
            bareMs = TimeBareStart();
            launcherMs = TimeLauncher(folder);
        }
        if (launcherMs < 0 || bareMs < 0)
            return 1;
        printf("round %d  launcher to \"Ready to play\" %7.0f ms  bare process start %5.0f ms\n", round + 1,
               launcherMs, bareMs);
        fflush(stdout);
        launcher.push_back(launcherMs);
        bare.push_back(bareMs);
        ratios.push_back(bareMs / launcherMs);
    }
    printf("medians of %d rounds; launcher: process start to \"Ready to play\", nothing to update\n", ROUNDS);
    bench::ReportMeasure("startup", bench::Format("%.3f s", bench::Median(launcher) / 1000),
                         bench::Format("bare process start %.3f s", bench::Median(bare) / 1000),
                         bench::Median(ratios), "1 s");
    return 0;
}
