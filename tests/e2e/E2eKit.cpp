#include "tests/e2e/E2eKit.h"
#include <algorithm>
#include <sstream>
#include "res/resource.h"
#include "tests/support/Input.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowSearch.h"

using namespace testsupport;

namespace e2e {

namespace {

std::string GamesDir()
{
    return BuildDir() + "\\e2e\\games";
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

// ---- Published games ----

std::string GameDir(const std::string& game)
{
    return GamesDir() + "\\" + game + "\\files\\pc";
}

std::vector<std::string> ListedNames(const std::string& game)
{
    std::vector<std::string> names;
    for (const std::string& line : SplitLines(ReadWholeFile(GamesDir() + "\\manifest.txt"))) {
        size_t blank = line.find(' ');
        if (blank != std::string::npos && line.substr(0, blank) == game)
            names.push_back(line.substr(blank + 1));
    }
    return names;
}

std::string PublishedFile(const std::string& game, const std::string& listedName)
{
    return ReadWholeFile(JoinPath(GameDir(game) + "\\data", listedName));
}

void ServeOnNginx(const std::string& game)
{
    std::string files = WwwDir() + "\\files";
    FreshFolder(files);
    ASSERT_TRUE(CopyTree(GameDir(game), files + "\\pc")) << game;
}

void ServeOnFaultServer(const std::string& game, const std::string& rules)
{
    std::string root = FaultServerDir();
    std::string files = root + "\\www\\files";
    FreshFolder(files);
    ASSERT_TRUE(CopyTree(GameDir(game), files + "\\pc")) << game;
    ASSERT_TRUE(WriteWholeFile(root + "\\rules\\launcher-e2e.rules", rules));
}

void ClearFaultServer()
{
    std::string root = FaultServerDir();
    DeleteFileA((root + "\\rules\\launcher-e2e.rules").c_str());
    FreshFolder(root + "\\www\\files");
    RemoveDirectoryA((root + "\\www\\files").c_str());
}

void InstallGameFolder(const std::string& game, const std::string& folder)
{
    FreshFolder(folder);
    ASSERT_TRUE(CopyTree(GameDir(game) + "\\data", folder)) << game;
    ASSERT_TRUE(CopyFileA((GameDir(game) + "\\filelist.txt").c_str(), JoinPath(folder, "filelist.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((GameDir(game) + "\\Vers.txt").c_str(), JoinPath(folder, "Vers.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(LauncherExe().c_str(), JoinPath(folder, "Velmora World.exe").c_str(), FALSE));
}

::testing::AssertionResult HoldsGame(const std::string& game, const std::string& folder)
{
    std::vector<std::string> names = ListedNames(game);
    if (names.empty())
        return ::testing::AssertionFailure() << "game " << game << " lists nothing";
    for (const std::string& name : names) {
        std::string path = JoinPath(folder, name);
        if (!FileExists(path))
            return ::testing::AssertionFailure() << name << " is missing in " << folder;
        if (ReadWholeFile(path) != PublishedFile(game, name))
            return ::testing::AssertionFailure() << name << " differs from the published " << game << " file";
    }
    return ::testing::AssertionSuccess();
}

std::map<std::string, std::string> ReadVornRecord(const std::string& folder)
{
    std::map<std::string, std::string> record;
    for (const std::string& line : SplitLines(ReadWholeFile(JoinPath(folder, "VornStarted.txt")))) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            record[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return record;
}

// ---- Files ----

std::string LauncherExe()
{
    return BuildDir() + "\\bin\\Velmora World.exe";
}

std::string NextLauncherExe()
{
    return BuildDir() + "\\e2e-next\\Velmora World.exe";
}

std::string NoopExe()
{
    return BuildDir() + "\\bin\\e2e_noop.exe";
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t CountOf(const std::vector<std::string>& lines, const std::string& line)
{
    return (size_t)std::count(lines.begin(), lines.end(), line);
}

size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    return (size_t)std::count_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; });
}

// ---- Server logs ----

RequestLog::RequestLog(const std::string& path, bool nginx) : m_path(path), m_nginx(nginx), m_offset(0)
{
    LONGLONG size = SizeOf(path);
    m_offset = size > 0 ? (size_t)size : 0;
}

RequestLog RequestLog::Nginx()
{
    return RequestLog(NginxAccessLog(), true);
}

RequestLog RequestLog::FaultServer()
{
    return RequestLog(FaultServerDir() + "\\requests.log", false);
}

std::vector<Request> RequestLog::Since(size_t atLeast) const
{
    std::vector<Request> requests;
    WaitFor([&] { return (requests = Logged()).size() >= atLeast; }, 10000);
    return requests;
}

std::vector<Request> RequestLog::DataSince(size_t atLeast) const
{
    std::vector<Request> data;
    WaitFor(
        [&] {
            data.clear();
            for (const Request& r : Logged())
                if (r.path.compare(0, 15, "/files/pc/data/") == 0)
                    data.push_back(r);
            return data.size() >= atLeast;
        },
        10000);
    return data;
}

std::vector<Request> RequestLog::Logged() const
{
    std::vector<Request> requests;
    std::string text = ReadIfReadable(m_path);
    if (text.size() <= m_offset)
        return requests;
    for (const std::string& line : SplitLines(text.substr(m_offset))) {
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 4)
            continue;
        Request r;
        std::string target = f[0];
        if (m_nginx) {
            // "GET /path?query HTTP/1.1"
            size_t first = target.find(' ');
            size_t last = target.rfind(' ');
            if (first == std::string::npos || last <= first)
                continue;
            target = target.substr(first + 1, last - first - 1);
        }
        size_t q = target.find('?');
        r.path = target.substr(0, q);
        r.query = q == std::string::npos ? "" : target.substr(q);
        r.range = f[1].empty() ? "-" : f[1];
        r.status = atoi(f[2].c_str());
        if (r.path.compare(0, 10, "/files/pc/") == 0)
            requests.push_back(r);
    }
    return requests;
}

std::vector<std::string> Paths(const std::vector<Request>& requests)
{
    std::vector<std::string> paths;
    for (const Request& r : requests)
        paths.push_back(r.path);
    return paths;
}

// ---- The launcher process ----

std::vector<DWORD> ReadWaits(const std::string& waitLog)
{
    std::vector<DWORD> waits;
    for (const std::string& line : SplitLines(ReadIfReadable(waitLog)))
        if (!line.empty())
            waits.push_back((DWORD)strtoul(line.c_str(), nullptr, 10));
    return waits;
}

size_t CountWaits(const std::vector<DWORD>& waits, DWORD ms)
{
    return (size_t)std::count(waits.begin(), waits.end(), ms);
}

bool Launcher::Start(const std::string& exe, const std::string& args, const std::string& folder)
{
    m_window = nullptr;
    return m_process.Start("\"" + exe + "\"" + (args.empty() ? "" : " " + args), folder);
}

bool Launcher::AdoptStartedBy(DWORD parentId, DWORD timeoutMs)
{
    HWND window = WaitForTopWindow(
        [parentId](HWND w) { return IsDialogWith(w, IDC_STATUS) && ParentOf(ProcessOf(w)) == parentId; }, timeoutMs);
    m_window = nullptr;
    return window && m_process.Adopt(ProcessOf(window));
}

HWND Launcher::DialogWith(int childId) const
{
    DWORD id = m_process.Id();
    return FindTopWindow([id, childId](HWND w) { return ProcessOf(w) == id && IsDialogWith(w, childId); });
}

HWND Launcher::MainWindow(DWORD timeoutMs)
{
    if (!m_window || !IsWindow(m_window))
        WaitFor([&] { return (m_window = DialogWith(IDC_STATUS)) != nullptr || !Running(); }, timeoutMs);
    return m_window;
}

std::string Launcher::Text(int controlId)
{
    HWND window = MainWindow(0);
    return window ? ItemText(window, controlId) : "(no window)";
}

bool Launcher::WaitForStatus(const std::string& text, DWORD timeoutMs)
{
    return MainWindow(timeoutMs) && WaitFor([&] { return Text(IDC_STATUS) == text || !Running(); }, timeoutMs) &&
           Text(IDC_STATUS) == text;
}

bool Launcher::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    DWORD code = 0;
    if (!m_process.Wait(timeoutMs, code))
        return false;
    if (exitCode)
        *exitCode = code;
    return true;
}

void Launcher::ClickButton(int controlId)
{
    HWND window = MainWindow(0);
    ASSERT_TRUE(window);
    HWND button = GetDlgItem(window, controlId);
    ASSERT_TRUE(button);
    ASSERT_TRUE(ClickAt(button)) << "button " << controlId << " does not show";
}

::testing::AssertionResult Launcher::Quit()
{
    ClickButton(IDC_QUIT);
    DWORD exitCode = 1;
    if (!WaitForExit(10000, &exitCode))
        return ::testing::AssertionFailure() << "QUIT did not close the launcher";
    if (exitCode != 0)
        return ::testing::AssertionFailure() << "exit code " << exitCode << " after QUIT";
    return ::testing::AssertionSuccess();
}

std::string ScreenshotPath(const std::string& name)
{
    return BuildPath("e2e/screens/" + name + ".png");
}

} // namespace e2e
