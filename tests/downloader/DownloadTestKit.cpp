#include "DownloadTestKit.h"
#include "engine/Pause.h"
#include <wincrypt.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

std::string WinePath(const std::string& linuxPath)
{
    std::string path = "Z:" + linuxPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, NULL) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(h);
    return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL) && written == bytes.size();
    CloseHandle(h);
    return ok;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info))
        return -1;
    return ((long long)info.nFileSizeHigh << 32) | info.nFileSizeLow;
}

std::string RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = (char)(generator() & 0xFF);
    return bytes;
}

std::string Md5Of(const std::string& bytes)
{
    std::string hex;
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    if (CryptAcquireContextA(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
            BYTE digest[16];
            DWORD length = sizeof digest;
            if (CryptHashData(hash, (const BYTE*)bytes.data(), (DWORD)bytes.size(), 0) &&
                CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0)) {
                char text[33];
                for (int i = 0; i < 16; ++i)
                    sprintf(text + 2 * i, "%02x", digest[i]);
                hex = text;
            }
            CryptDestroyHash(hash);
        }
        CryptReleaseContext(provider, 0);
    }
    return hex;
}

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

GameFolder::GameFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Enter(temp);
}

GameFolder::GameFolder(const std::string& existingRoot)
{
    Enter(existingRoot + "\\");
}

void GameFolder::Enter(const std::string& root)
{
    static LONG counter = 0;
    char name[64];
    sprintf(name, "dl-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
    m_path = root + name;
    RemoveTree(m_path);
    CreateDirectoryA(m_path.c_str(), NULL);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    SetCurrentDirectoryA(m_path.c_str());
}

GameFolder::~GameFolder()
{
    SetCurrentDirectoryA(m_previous.c_str());
    RemoveTree(m_path);
}

FaultServer::FaultServer(const std::string& name)
    : m_name(name), m_dir(WinePath(VELMORA_BUILD_DIR "/faultserver")), m_wroteRules(false)
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
    WriteAll(m_dir + "\\www\\t\\" + m_name + "\\" + file, bytes);
}

void FaultServer::SetRules(const std::vector<std::string>& rules)
{
    m_wroteRules = true;
    std::string text;
    for (const std::string& rule : rules)
        text += "/" + Url(rule) + "\n";
    std::string final = m_dir + "\\rules\\" + m_name + ".rules";
    std::string temporary = final + ".new";
    WriteAll(temporary, text);
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
    // wait (boundedly) until every request that arrived has been logged.
    std::string log;
    for (int i = 0; i < 250; ++i) {
        size_t arrived = CountLines(ReadAll(m_dir + "\\arrivals.log"), wanted);
        log = ReadAll(m_dir + "\\requests.log");
        size_t answered = 0;
        std::istringstream lines(log);
        std::string line;
        while (std::getline(lines, line))
            answered += line.compare(0, wanted.size() + 1, wanted + "\t") == 0;
        if (answered >= arrived)
            break;
        Sleep(20);
    }
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
std::mutex g_pauseLock;
std::vector<DWORD> g_pauses;
DWORD g_pauseDivisor = 50;

DWORD RecordPause(DWORD requestedMs)
{
    std::lock_guard<std::mutex> hold(g_pauseLock);
    g_pauses.push_back(requestedMs);
    return requestedMs / g_pauseDivisor;
}
} // namespace

PauseRecorder::PauseRecorder(DWORD divisor)
{
    std::lock_guard<std::mutex> hold(g_pauseLock);
    g_pauses.clear();
    g_pauseDivisor = divisor ? divisor : 1;
    SetPauseHook(RecordPause);
}

PauseRecorder::~PauseRecorder()
{
    SetPauseHook(NULL);
}

std::vector<DWORD> PauseRecorder::Waits() const
{
    std::lock_guard<std::mutex> hold(g_pauseLock);
    return g_pauses;
}

size_t PauseRecorder::CountOf(DWORD ms) const
{
    std::vector<DWORD> waits = Waits();
    return (size_t)std::count(waits.begin(), waits.end(), ms);
}

BoxAnswerer::BoxAnswerer(std::vector<int> answers, std::string textFile)
    : m_answers(std::move(answers)), m_textFile(std::move(textFile)), m_stop(false),
      m_thread(&BoxAnswerer::Loop, this)
{
}

BoxAnswerer::~BoxAnswerer()
{
    m_stop = true;
    m_thread.join();
}

std::vector<std::string> BoxAnswerer::Texts() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_texts;
}

namespace {

struct BoxSearch {
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM param)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char className[16] = "";
    GetClassNameA(hwnd, className, sizeof className);
    // A message box: a dialog of ours with the standard buttons and none of the launcher's controls.
    if (process == GetCurrentProcessId() && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(hwnd) &&
        !GetDlgItem(hwnd, IDC_PROGRESS_FILE) &&
        (GetDlgItem(hwnd, IDOK) || GetDlgItem(hwnd, IDCANCEL) || GetDlgItem(hwnd, IDRETRY)))
        reinterpret_cast<BoxSearch*>(param)->boxes.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK FindBoxText(HWND child, LPARAM param)
{
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[4096] = "";
        GetWindowTextA(child, text, sizeof text);
        std::string* out = reinterpret_cast<std::string*>(param);
        if (text[0] && out->empty())
            *out = text;
    }
    return TRUE;
}

} // namespace

void BoxAnswerer::Loop()
{
    while (!m_stop) {
        BoxSearch search;
        EnumWindows(CollectBox, (LPARAM)&search);
        for (HWND box : search.boxes) {
            std::lock_guard<std::mutex> hold(m_lock);
            if (std::find(m_done.begin(), m_done.end(), box) != m_done.end())
                continue;
            std::string text;
            EnumChildWindows(box, FindBoxText, (LPARAM)&text);
            size_t index = m_texts.size();
            int answer = index < m_answers.size() ? m_answers[index] : (GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK);
            m_texts.push_back(text);
            m_done.push_back(box);
            if (!m_textFile.empty()) {
                if (FILE* f = fopen(m_textFile.c_str(), "ab")) {
                    fprintf(f, "%s\n--\n", text.c_str());
                    fclose(f);
                }
            }
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
        }
        {
            // Forget boxes that are gone, so that a new box with a reused handle is answered.
            std::lock_guard<std::mutex> hold(m_lock);
            m_done.erase(std::remove_if(m_done.begin(), m_done.end(), [](HWND h) { return !IsWindow(h); }),
                         m_done.end());
        }
        Sleep(20);
    }
}

namespace {
HHOOK g_setTextHook = NULL;
HWND g_setTextTarget = NULL;
std::vector<std::string> g_setTexts;

LRESULT CALLBACK RecordSetText(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == g_setTextTarget && call->message == WM_SETTEXT && call->lParam)
        g_setTexts.push_back((const char*)call->lParam);
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
}

std::vector<std::string> SetTextRecorder::Texts() const
{
    return g_setTexts;
}

BEGIN_MESSAGE_MAP(CTestLauncherDlg, CTarnwickDlg)
    ON_MESSAGE(WM_UPDATE_DONE, OnUpdateDone)
    ON_MESSAGE(WM_UPDATE_FAILED, OnUpdateFailed)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTestLauncherDlg::CTestLauncherDlg() : m_nDonePosted(0), m_nFailedPosted(0)
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
    return PumpUntil([&] { return m_nDonePosted + m_nFailedPosted > before; }, timeoutMs);
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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
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

int RunChild(const std::string& testName, const std::string& argument, DWORD timeoutMs)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=" + testName;
    SetEnvironmentVariableA("VELMORA_DL_CHILD", argument.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableA("VELMORA_DL_CHILD", NULL);
    if (!started)
        return -2;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

std::string ChildArgument()
{
    char value[1024] = "";
    GetEnvironmentVariableA("VELMORA_DL_CHILD", value, sizeof value);
    return value;
}
