#include "DownloadTestKit.h"
#include <sstream>
#include "tests/support/Content.h"
#include "tests/support/Pump.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

using testsupport::WriteWholeFile;

FaultServer::FaultServer(const std::string& name)
    : m_name(name), m_dir(testsupport::FaultServerDir()), m_wroteRules(false)
{
    CreateDirectoryA((m_dir + "\\www\\t").c_str(), NULL);
    CreateDirectoryA((m_dir + "\\www\\t\\" + m_name).c_str(), NULL);
}

FaultServer::~FaultServer()
{
    if (m_wroteRules)
        DeleteFileA((m_dir + "\\rules\\" + m_name + ".rules").c_str());
}

std::string FaultServer::Url(const std::string& file) const
{
    return "t/" + m_name + "/" + file;
}

void FaultServer::Publish(const std::string& file, const std::string& bytes) const
{
    WriteWholeFile(m_dir + "\\www\\t\\" + m_name + "\\" + file, bytes);
}

std::string FaultServer::PublishRandom(const std::string& file, size_t size, unsigned seed) const
{
    std::string bytes = testsupport::RandomBytes(size, seed);
    Publish(file, bytes);
    return bytes;
}

void FaultServer::SetRules(const std::vector<std::string>& rules)
{
    m_wroteRules = true;
    std::string text;
    for (const std::string& rule : rules)
        text += "/" + Url(rule) + "\n";
    std::string final = m_dir + "\\rules\\" + m_name + ".rules";
    std::string temporary = final + ".new";
    WriteWholeFile(temporary, text);
    MoveFileExA(temporary.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING);
}

namespace {
size_t CountLines(const std::string& text, const std::string& line)
{
    size_t count = 0;
    std::istringstream lines(text);
    std::string current;
    while (std::getline(lines, current))
        count += current == line;
    return count;
}
} // namespace

std::vector<ServedRequest> FaultServer::Requests(const std::string& file) const
{
    std::vector<ServedRequest> requests;
    std::string wanted = "/" + Url(file);
    // The server logs a request once it has answered it, possibly after the client is done:
    // wait until every request that arrived has been logged.
    std::string log;
    testsupport::WaitFor([&] {
        size_t arrived = CountLines(testsupport::ReadIfReadable(m_dir + "\\arrivals.log"), wanted);
        log = testsupport::ReadIfReadable(m_dir + "\\requests.log");
        size_t answered = 0;
        std::istringstream lines(log);
        std::string line;
        while (std::getline(lines, line))
            answered += line.compare(0, wanted.size() + 1, wanted + "\t") == 0;
        return answered >= arrived;
    }, 30000);
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ServedRequest r;
        std::string status, sent;
        if (std::getline(fields, r.path, '\t') && std::getline(fields, r.range, '\t') &&
            std::getline(fields, status, '\t') && std::getline(fields, sent) && r.path == wanted) {
            r.status = atoi(status.c_str());
            r.sent = atoll(sent.c_str());
            requests.push_back(r);
        }
    }
    return requests;
}

namespace {
HHOOK g_setTextHook = NULL;
HWND g_setTextTarget = NULL;
std::vector<std::string> g_setTexts;
std::function<void(const std::string&)> g_onSetText;

LRESULT CALLBACK RecordSetText(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == g_setTextTarget && call->message == WM_SETTEXT && call->lParam) {
        g_setTexts.push_back((const char*)call->lParam);
        if (g_onSetText)
            g_onSetText(g_setTexts.back());
    }
    return CallNextHookEx(g_setTextHook, code, wParam, lParam);
}
} // namespace

SetTextRecorder::SetTextRecorder(HWND target)
{
    g_setTexts.clear();
    g_setTextTarget = target;
    g_setTextHook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSetText, NULL, GetCurrentThreadId());
}

SetTextRecorder::~SetTextRecorder()
{
    UnhookWindowsHookEx(g_setTextHook);
    g_setTextHook = NULL;
    g_setTextTarget = NULL;
    g_onSetText = nullptr;
}

std::vector<std::string> SetTextRecorder::Texts() const
{
    return g_setTexts;
}

void SetTextRecorder::OnText(std::function<void(const std::string&)> action)
{
    g_onSetText = std::move(action);
}

BEGIN_MESSAGE_MAP(CTestLauncherDlg, CTarnwickDlg)
    ON_MESSAGE(WM_UPDATE_DONE, OnUpdateDone)
    ON_MESSAGE(WM_UPDATE_FAILED, OnUpdateFailed)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTestLauncherDlg::CTestLauncherDlg() : m_nDonePosted(0), m_nFailedPosted(0), m_workerThreadId(0)
{
}

BOOL CTestLauncherDlg::Open()
{
    return Create(IDD_LAUNCHER, NULL);
}

BOOL CTestLauncherDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_progressFile.SetRange(0, 100);
    m_progressTotal.SetRange(0, 100);
    if (m_onInit)
        m_onInit();
    return TRUE;
}

bool CTestLauncherDlg::RunWorker(CUpdateContext* pContext, DWORD timeoutMs)
{
    int before = m_nDonePosted + m_nFailedPosted;
    m_pUpdater->Start(pContext);
    m_workerThreadId = m_pUpdater->m_pThread ? m_pUpdater->m_pThread->m_nThreadID : 0;
    return testsupport::PumpUntil([&] { return m_nDonePosted + m_nFailedPosted > before; }, timeoutMs);
}

LRESULT CTestLauncherDlg::OnUpdateDone(WPARAM, LPARAM)
{
    m_pUpdater->Wait();
    ++m_nDonePosted;
    return 0;
}

LRESULT CTestLauncherDlg::OnUpdateFailed(WPARAM, LPARAM)
{
    m_pUpdater->Wait();
    ++m_nFailedPosted;
    return 0;
}

void CTestLauncherDlg::OnDestroy()
{
    CTarnwickDlg::OnDestroy();
    if (m_onDestroy)
        m_onDestroy();
}

DOWNLOAD_JOB MakeJob(const std::string& localPath, const std::string& url, const std::string& md5, int optional)
{
    DOWNLOAD_JOB job;
    ZeroMemory(&job, sizeof job);
    lstrcpynA(job.szLocalPath, localPath.c_str(), sizeof job.szLocalPath);
    lstrcpynA(job.szUrlPath, url.c_str(), sizeof job.szUrlPath);
    lstrcpynA(job.szMd5, md5.c_str(), sizeof job.szMd5);
    job.bOptional = optional;
    return job;
}
