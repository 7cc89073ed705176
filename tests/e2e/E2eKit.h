// Tools of the end-to-end tests: published games, game folders, the launcher as a separate
// process, what its window shows, its log and the servers' request logs.
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

// ---- Files ----
std::string LauncherExe();     // this build's launcher
std::string NextLauncherExe(); // the other build, for the self-update
std::string NoopExe();
std::string Join(const std::string& folder, const std::string& name); // name with '/' or '\'
bool Exists(const std::string& path);
LONGLONG SizeOf(const std::string& path); // -1 when missing
bool CopyTree(const std::string& from, const std::string& to);

// The messages of "PatchLog.txt" in the folder, time stamps removed.
std::vector<std::string> LogMessages(const std::string& folder);
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
// A place in a request log; Since() returns the requests logged after it.
class RequestLog {
public:
    static RequestLog Nginx();
    static RequestLog FaultServer();
    std::vector<Request> Since() const;
    // Requests whose path starts with "/files/pc/data/".
    std::vector<Request> DataSince() const;

private:
    RequestLog(const std::string& path, bool nginx);
    std::string m_path;
    bool m_nginx;
    size_t m_offset;
};
std::vector<std::string> Paths(const std::vector<Request>& requests);

// ---- The launcher process ----

// Environment given to the launchers the test starts (inherited from this process meanwhile).
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had;
};

// The waits a launcher asked for (VELMORA_WAIT_LOG), in order.
std::vector<DWORD> ReadWaits(const std::string& waitLog);
size_t CountWaits(const std::vector<DWORD>& waits, DWORD ms);

class Launcher {
public:
    // Starts "<exe>" <args> in the folder.
    bool Start(const std::string& exe, const std::string& args, const std::string& folder);
    // Takes over a launcher process that another one started (found by its window).
    bool Adopt(DWORD processId);
    DWORD Id() const { return m_id; }
    HANDLE Process() const { return m_process; }
    ~Launcher();

    // Waits for the main window (a dialog with the status label); NULL after the time-out.
    HWND MainWindow(DWORD timeoutMs = 30000);
    std::string Text(int controlId);
    // Waits until the status label shows the text; false (with the last text) after the time-out.
    bool WaitForStatus(const std::string& text, DWORD timeoutMs = 60000);
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;
    // QUIT, clicked with the mouse.
    void ClickButton(int controlId);
    void Terminate();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    HWND m_window = nullptr;
};

// The top-level window of the process whose class is `cls` and that has a child `childId`.
HWND FindProcessWindow(DWORD processId, const char* cls, int childId);
// The first process other than `except` that shows a launcher main window; 0 when none within the time.
DWORD WaitForLauncherWindow(DWORD except, DWORD timeoutMs);
// Real mouse click at the centre of the window.
void ClickAt(HWND window);

// ---- Screen ----
struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels; // row by row, from the top
    COLORREF At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Image CaptureScreen(const RECT& rect);
Image CaptureWindow(HWND window); // its window rectangle
bool SaveBmp(const Image& image, const std::string& path);
// Decodes a JPEG as the system does.
Image LoadJpeg(const std::string& path);
// Share of the pixels of the rectangle (in both images' coordinates) that are within `tolerance`
// per channel.
double MatchShare(const Image& a, const Image& b, const RECT& rect, int tolerance = 8);
bool Near(COLORREF a, COLORREF b, int tolerance = 8);

// Where the test writes its screenshots.
std::string ScreenshotDir();

} // namespace e2e
