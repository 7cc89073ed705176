// Helpers for the downloader and worker tests: scratch game folders, the fault server's files,
// rules and request log, a recorder of the program's waits, a user who answers message boxes,
// the main window with its real controls (without the update controller), and child processes.
#pragma once
#include "framework/framework.h"
#include "engine/Updater.h"
#include "launcher/TarnwickDlg.h"
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Linux path (as compiled in) -> the same place seen from Wine through drive Z:.
std::string WinePath(const std::string& linuxPath);

std::string ReadAll(const std::string& path);
bool WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Size of a file, or -1 when there is none.
long long SizeOf(const std::string& path);
// Reproducible pseudo-random content.
std::string RandomBytes(size_t count, unsigned seed);
// MD5 as 32 lower-case hex digits, computed here with CryptoAPI.
std::string Md5Of(const std::string& bytes);

// A fresh folder that is the current directory (so "PatchLog.txt" lands in it) for its lifetime.
class GameFolder {
public:
    GameFolder();
    explicit GameFolder(const std::string& existingRoot); // a new folder below existingRoot
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }
    std::string Log() const { return ReadAll(File("PatchLog.txt")); }

private:
    void Enter(const std::string& root);
    std::string m_path;
    std::string m_previous;
};

struct ServedRequest {
    std::string path;
    std::string range; // "-" when the request had no Range header
    int status;
    long long sent;    // body bytes the server wrote
};

// The fault server started by the test fixture (tools/faultserver-fixture.sh): every test uses
// its own URL folder "t/<name>/" and its own rules file, so tests do not see each other.
class FaultServer {
public:
    explicit FaultServer(const std::string& name);
    ~FaultServer();

    static const char* Host() { return "127.0.0.2"; }
    // The job's URL path (no leading slash).
    std::string Url(const std::string& file) const;
    void Publish(const std::string& file, const std::string& bytes) const;
    // Replaces all rules of this test; each rule is "<file> <mode> [args]". They are removed
    // when this object goes.
    void SetRules(const std::vector<std::string>& rules);
    std::vector<ServedRequest> Requests(const std::string& file) const;

private:
    std::string m_name;
    std::string m_dir;
    bool m_wroteRules;
};

// Records every wait the program asks for and waits a fraction of it.
class PauseRecorder {
public:
    explicit PauseRecorder(DWORD divisor = 50);
    ~PauseRecorder();
    std::vector<DWORD> Waits() const;
    size_t CountOf(DWORD ms) const;
};

// A user who answers the message boxes of this process, in order, from a thread of its own.
// Boxes beyond the given answers get Cancel when they have it, OK otherwise.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers, std::string textFile = std::string());
    ~BoxAnswerer();
    std::vector<std::string> Texts() const;

private:
    void Loop();
    std::vector<int> m_answers;
    std::string m_textFile; // each box's text is appended here too (for child processes)
    mutable std::mutex m_lock;
    std::vector<std::string> m_texts;
    std::vector<HWND> m_done;
    volatile bool m_stop;
    std::thread m_thread;
};

// Records the texts set on one window by WM_SETTEXT, from any thread, as this thread handles them.
class SetTextRecorder {
public:
    explicit SetTextRecorder(HWND target);
    ~SetTextRecorder();
    std::vector<std::string> Texts() const;
};

// The main window with its real controls bound, and nothing of the update controller: it only
// counts the worker's two messages (joining the worker first, as the controller does).
class CTestLauncherDlg : public CTarnwickDlg {
public:
    CTestLauncherDlg();
    BOOL Open();
    BOOL OnInitDialog() override;

    // Starts the worker on the context and runs this thread's messages until a message arrives.
    bool RunWorker(CUpdateContext* pContext, DWORD timeoutMs = 120000);

    int m_nDonePosted;
    int m_nFailedPosted;
    std::function<void()> m_onInit;    // runs at the end of OnInitDialog
    std::function<void()> m_onDestroy; // runs in OnDestroy, after the worker is gone

protected:
    afx_msg LRESULT OnUpdateDone(WPARAM, LPARAM);
    afx_msg LRESULT OnUpdateFailed(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

// Handles this thread's messages until done() or the time-out (a guard against a hang, not a wait
// for the program); returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

DOWNLOAD_JOB MakeJob(const std::string& localPath, const std::string& url, const std::string& md5 = std::string(),
                     int optional = 0);

// Runs this test program again with one (usually disabled) test selected and VELMORA_DL_CHILD set; returns its exit
// code (or -1 on time-out, after killing it).
int RunChild(const std::string& testName, const std::string& argument, DWORD timeoutMs);
// In a child: the argument given to RunChild, or empty in the parent.
std::string ChildArgument();
