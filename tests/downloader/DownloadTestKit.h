// Helpers of the downloader and worker tests: the fault server's files, rules and request log, the
// main window with its real controls (without the update controller), and the texts set on a label.
#pragma once
#include "framework/framework.h"
#include "engine/Updater.h"
#include "launcher/TarnwickDlg.h"
#include <functional>
#include <string>
#include <vector>

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
    // Publishes reproducible pseudo-random bytes and returns them.
    std::string PublishRandom(const std::string& file, size_t size, unsigned seed) const;
    // Replaces all rules of this test; each rule is "<file> <mode> [args]". They are removed
    // when this object goes.
    void SetRules(const std::vector<std::string>& rules);
    std::vector<ServedRequest> Requests(const std::string& file) const;

private:
    std::string m_name;
    std::string m_dir;
    bool m_wroteRules;
};

// Records the texts set on one window by WM_SETTEXT, from any thread, as this thread handles them.
class SetTextRecorder {
public:
    explicit SetTextRecorder(HWND target);
    ~SetTextRecorder();
    std::vector<std::string> Texts() const;
    // Runs `action` with each text as it is set, before the thread that sets it goes on.
    void OnText(std::function<void(const std::string&)> action);
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
    DWORD m_workerThreadId; // the last worker that RunWorker started
    std::function<void()> m_onInit;    // runs at the end of OnInitDialog
    std::function<void()> m_onDestroy; // runs in OnDestroy, after the worker is gone

protected:
    afx_msg LRESULT OnUpdateDone(WPARAM, LPARAM);
    afx_msg LRESULT OnUpdateFailed(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

DOWNLOAD_JOB MakeJob(const std::string& localPath, const std::string& url, const std::string& md5 = std::string(),
                     int optional = 0);
