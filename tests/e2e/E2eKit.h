// Tools of the end-to-end tests: published games, game folders, the launcher as a separate
// process, what its window shows, and the servers' request logs.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "tests/support/ChildProcess.h"

namespace e2e {

// ---- Published games (made by make_games.py before the tests) ----

// <build>\e2e\games\<game>\files\pc
std::string GameDir(const std::string& game);
// The names a game lists, with '/' as in the list.
std::vector<std::string> ListedNames(const std::string& game);
// The published bytes of one listed file.
std::string PublishedFile(const std::string& game, const std::string& listedName);

// Serves the game at https://localhost/files/pc/ (nginx) and nothing else there.
void ServeOnNginx(const std::string& game);
// Serves the game at https://127.0.0.2/files/pc/ (the fault server); `rules` is its rule file.
void ServeOnFaultServer(const std::string& game, const std::string& rules);
void ClearFaultServer();

// A game folder as a finished update leaves it: the data, "filelist.txt", "Vers.txt" and this
// build's launcher as "Velmora World.exe".
void InstallGameFolder(const std::string& game, const std::string& folder);
// Every listed file of the game is in the folder with the published bytes.
::testing::AssertionResult HoldsGame(const std::string& game, const std::string& folder);

// What the stand-in game client recorded of its start in the folder ("VornStarted.txt"): cmdline,
// cwd, argc, arg1...
std::map<std::string, std::string> ReadVornRecord(const std::string& folder);

// ---- Files ----
std::string LauncherExe();     // this build's launcher
std::string NextLauncherExe(); // the other build, for the self-update
std::string NoopExe();

bool Contains(const std::vector<std::string>& lines, const std::string& line);
size_t CountOf(const std::vector<std::string>& lines, const std::string& line);
size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// ---- Server logs ----
struct Request {
    std::string path;  // without the query
    std::string query; // "" or "?t=..."
    std::string range; // "-" when none
    int status;
};
// A place in a request log; Since() returns the requests logged after it. A server logs a request a
// moment after answering it: given `atLeast`, they are returned once there are that many of them (or
// after a time-out).
class RequestLog {
public:
    static RequestLog Nginx();
    static RequestLog FaultServer();
    std::vector<Request> Since(size_t atLeast = 0) const;
    // Requests whose path starts with "/files/pc/data/".
    std::vector<Request> DataSince(size_t atLeast = 0) const;

private:
    RequestLog(const std::string& path, bool nginx);
    std::vector<Request> Logged() const;
    std::string m_path;
    bool m_nginx;
    size_t m_offset;
};
std::vector<std::string> Paths(const std::vector<Request>& requests);

// ---- The launcher process ----

// The waits a launcher asked for (VELMORA_WAIT_LOG), in order.
std::vector<DWORD> ReadWaits(const std::string& waitLog);
size_t CountWaits(const std::vector<DWORD>& waits, DWORD ms);

class Launcher {
public:
    // Starts "<exe>" <args> in the folder.
    bool Start(const std::string& exe, const std::string& args, const std::string& folder);
    // Takes over the launcher that the process `parentId` started, once its main window shows; false
    // when none shows within the time.
    bool AdoptStartedBy(DWORD parentId, DWORD timeoutMs);
    DWORD Id() const { return m_process.Id(); }

    // Waits for the main window (a dialog with the status label); NULL after the time-out.
    HWND MainWindow(DWORD timeoutMs = 30000);
    // A window of the launcher: a dialog with the child `childId`; NULL while there is none.
    HWND DialogWith(int childId) const;
    std::string Text(int controlId);
    // Waits until the status label shows the text; false (with the last text) after the time-out.
    bool WaitForStatus(const std::string& text, DWORD timeoutMs = 60000);
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const { return m_process.Running(); }
    // A button of the main window, clicked with the mouse.
    void ClickButton(int controlId);
    // QUIT clicked: true once the process has ended with exit code 0.
    ::testing::AssertionResult Quit();

private:
    testsupport::ChildProcess m_process;
    HWND m_window = nullptr;
};

// Where the test writes a screenshot of that name.
std::string ScreenshotPath(const std::string& name);

} // namespace e2e
