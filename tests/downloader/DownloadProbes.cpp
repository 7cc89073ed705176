#include "DownloadProbes.h"
#include <commctrl.h>
#include <sstream>
#include "tests/support/TestPaths.h"

std::vector<std::vector<std::string>> RequestHeads(const std::string& urlPath)
{
    std::vector<std::vector<std::string>> heads;
    const std::string wanted = "/" + urlPath;
    std::istringstream lines(testsupport::ReadIfReadable(testsupport::FaultServerDir() + "\\heads.log"));
    std::vector<std::string> head;
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) {
            head.push_back(line);
            continue;
        }
        // "GET <target> HTTP/1.1": the target's path alone decides.
        if (!head.empty()) {
            size_t start = head[0].find(' ') + 1;
            std::string target = head[0].substr(start, head[0].find(' ', start) - start);
            if (target.substr(0, target.find('?')) == wanted)
                heads.push_back(head);
        }
        head.clear();
    }
    return heads;
}

std::vector<std::string> HeaderValues(const std::vector<std::string>& head, const std::string& name)
{
    std::vector<std::string> values;
    for (size_t i = 1; i < head.size(); ++i)
        if (_strnicmp(head[i].c_str(), (name + ": ").c_str(), name.size() + 2) == 0)
            values.push_back(head[i].substr(name.size() + 2));
    return values;
}

size_t TlsConnections(const std::string& address)
{
    std::istringstream lines(testsupport::ReadIfReadable(testsupport::FaultServerDir() + "\\tls.log"));
    size_t count = 0;
    std::string line;
    while (std::getline(lines, line))
        count += line.compare(0, address.size() + 1, address + "\t") == 0;
    return count;
}

namespace {
HHOOK g_hook = NULL;
HWND g_fileBar = NULL, g_totalBar = NULL, g_speedLabel = NULL;
std::vector<int> g_filePositions, g_totalPositions;
std::vector<std::string> g_speedTexts;

LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (call->message == PBM_SETPOS && call->hwnd == g_fileBar)
            g_filePositions.push_back((int)call->wParam);
        else if (call->message == PBM_SETPOS && call->hwnd == g_totalBar)
            g_totalPositions.push_back((int)call->wParam);
        else if (call->message == WM_SETTEXT && call->hwnd == g_speedLabel && call->lParam)
            g_speedTexts.push_back((const char*)call->lParam);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
} // namespace

ProgressRecorder::ProgressRecorder(HWND fileBar, HWND totalBar, HWND speedLabel)
{
    g_filePositions.clear();
    g_totalPositions.clear();
    g_speedTexts.clear();
    g_fileBar = fileBar;
    g_totalBar = totalBar;
    g_speedLabel = speedLabel;
    g_hook = SetWindowsHookExA(WH_CALLWNDPROC, Record, NULL, GetCurrentThreadId());
}

ProgressRecorder::~ProgressRecorder()
{
    UnhookWindowsHookEx(g_hook);
    g_hook = NULL;
    g_fileBar = g_totalBar = g_speedLabel = NULL;
}

std::vector<int> ProgressRecorder::FilePositions() const
{
    return g_filePositions;
}

std::vector<int> ProgressRecorder::TotalPositions() const
{
    return g_totalPositions;
}

std::vector<std::string> ProgressRecorder::SpeedTexts() const
{
    return g_speedTexts;
}
