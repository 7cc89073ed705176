#include "tests/e2e/E2eKit.h"
#include <ole2.h>
#include <olectl.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include "res/resource.h"
#include "tests/support/TestPaths.h"

using testsupport::BuildDir;
using testsupport::ReadWholeFile;

namespace e2e {

namespace {

std::string GamesDir()
{
    return BuildDir() + "\\e2e\\games";
}

std::string Backslashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
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
    return ReadWholeFile(Join(GameDir(game) + "\\data", listedName));
}

void ServeOnNginx(const std::string& game)
{
    std::string files = testsupport::WwwDir() + "\\files";
    testsupport::FreshFolder(files);
    ASSERT_TRUE(CopyTree(GameDir(game), files + "\\pc")) << game;
}

void ServeOnFaultServer(const std::string& game, const std::string& rules)
{
    std::string root = BuildDir() + "\\faultserver";
    std::string files = root + "\\www\\files";
    testsupport::FreshFolder(files);
    ASSERT_TRUE(CopyTree(GameDir(game), files + "\\pc")) << game;
    ASSERT_TRUE(testsupport::WriteWholeFile(root + "\\rules\\launcher-e2e.rules", rules));
}

void ClearFaultServer()
{
    std::string root = BuildDir() + "\\faultserver";
    DeleteFileA((root + "\\rules\\launcher-e2e.rules").c_str());
    testsupport::FreshFolder(root + "\\www\\files");
    RemoveDirectoryA((root + "\\www\\files").c_str());
}

void InstallGameFolder(const std::string& game, const std::string& folder)
{
    testsupport::FreshFolder(folder);
    ASSERT_TRUE(CopyTree(GameDir(game) + "\\data", folder)) << game;
    ASSERT_TRUE(CopyFileA((GameDir(game) + "\\filelist.txt").c_str(), Join(folder, "filelist.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((GameDir(game) + "\\Vers.txt").c_str(), Join(folder, "Vers.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(LauncherExe().c_str(), Join(folder, "Velmora World.exe").c_str(), FALSE));
}

::testing::AssertionResult HoldsGame(const std::string& game, const std::string& folder)
{
    std::vector<std::string> names = ListedNames(game);
    if (names.empty())
        return ::testing::AssertionFailure() << "game " << game << " lists nothing";
    for (const std::string& name : names) {
        std::string path = Join(folder, name);
        if (!Exists(path))
            return ::testing::AssertionFailure() << name << " is missing in " << folder;
        if (ReadWholeFile(path) != PublishedFile(game, name))
            return ::testing::AssertionFailure() << name << " differs from the published " << game << " file";
    }
    return ::testing::AssertionSuccess();
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

std::string Join(const std::string& folder, const std::string& name)
{
    return folder + "\\" + Backslashed(name);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LONGLONG SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((LONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + "\\" + name, to + "\\" + name) && ok;
        else
            ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return ok;
}

std::vector<std::string> LogMessages(const std::string& folder)
{
    std::vector<std::string> messages;
    std::string path = Join(folder, "PatchLog.txt");
    if (!Exists(path))
        return messages;
    for (const std::string& line : SplitLines(ReadWholeFile(path))) {
        // "MM/DD-hh:mm:ss<TAB>message"
        size_t tab = line.find('\t');
        messages.push_back(tab == 14 ? line.substr(15) : "(bad line) " + line);
    }
    return messages;
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
    return RequestLog(testsupport::NginxAccessLog(), true);
}

RequestLog RequestLog::FaultServer()
{
    return RequestLog(BuildDir() + "\\faultserver\\requests.log", false);
}

std::vector<Request> RequestLog::Since() const
{
    std::vector<Request> requests;
    std::string text = ReadWholeFile(m_path);
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

std::vector<Request> RequestLog::DataSince() const
{
    std::vector<Request> data;
    for (const Request& r : Since())
        if (r.path.compare(0, 15, "/files/pc/data/") == 0)
            data.push_back(r);
    return data;
}

std::vector<std::string> Paths(const std::vector<Request>& requests)
{
    std::vector<std::string> paths;
    for (const Request& r : requests)
        paths.push_back(r.path);
    return paths;
}

// ---- The launcher process ----

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : m_name(name), m_had(false)
{
    char old[4096];
    DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    if (n > 0 && n < sizeof old) {
        m_had = true;
        m_old.assign(old, n);
    }
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnv::~ScopedEnv()
{
    SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr);
}

std::vector<DWORD> ReadWaits(const std::string& waitLog)
{
    std::vector<DWORD> waits;
    if (!Exists(waitLog))
        return waits;
    for (const std::string& line : SplitLines(ReadWholeFile(waitLog)))
        if (!line.empty())
            waits.push_back((DWORD)strtoul(line.c_str(), nullptr, 10));
    return waits;
}

size_t CountWaits(const std::vector<DWORD>& waits, DWORD ms)
{
    return (size_t)std::count(waits.begin(), waits.end(), ms);
}

Launcher::~Launcher()
{
    Terminate();
}

bool Launcher::Start(const std::string& exe, const std::string& args, const std::string& folder)
{
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    m_window = nullptr;
    return true;
}

bool Launcher::Adopt(DWORD processId)
{
    Terminate();
    m_process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    m_id = m_process ? processId : 0;
    m_window = nullptr;
    return m_process != nullptr;
}

HWND Launcher::MainWindow(DWORD timeoutMs)
{
    if (m_window && IsWindow(m_window))
        return m_window;
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        m_window = FindProcessWindow(m_id, "#32770", IDC_STATUS);
        if (m_window)
            return m_window;
        Sleep(5);
    } while (GetTickCount64() < deadline && Running());
    return nullptr;
}

std::string Launcher::Text(int controlId)
{
    HWND window = MainWindow(0);
    if (!window)
        return "(no window)";
    char text[1024] = "";
    GetDlgItemTextA(window, controlId, text, sizeof text);
    return text;
}

bool Launcher::WaitForStatus(const std::string& text, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    if (!MainWindow(timeoutMs))
        return false;
    while (Text(IDC_STATUS) != text) {
        if (GetTickCount64() > deadline || !Running())
            return false;
        Sleep(5);
    }
    return true;
}

bool Launcher::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

bool Launcher::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void Launcher::ClickButton(int controlId)
{
    HWND window = MainWindow(0);
    ASSERT_TRUE(window);
    HWND button = GetDlgItem(window, controlId);
    ASSERT_TRUE(button);
    ClickAt(button);
}

void Launcher::Terminate()
{
    if (!m_process)
        return;
    if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process, 255);
        WaitForSingleObject(m_process, 5000);
    }
    CloseHandle(m_process);
    m_process = nullptr;
    m_id = 0;
    m_window = nullptr;
}

namespace {

struct WindowSearch {
    DWORD processId;
    DWORD except;
    const char* cls;
    int childId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->processId ? pid != search->processId : pid == search->except)
        return TRUE;
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, search->cls) != 0 || !GetDlgItem(window, search->childId))
        return TRUE;
    search->found = window;
    search->processId = pid;
    return FALSE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const char* cls, int childId)
{
    WindowSearch search = {processId, 0, cls, childId, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD WaitForLauncherWindow(DWORD except, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        WindowSearch search = {0, except, "#32770", IDC_STATUS, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.processId;
        Sleep(10);
    } while (GetTickCount64() < deadline);
    return 0;
}

void ClickAt(HWND window)
{
    RECT rc;
    GetWindowRect(window, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input[0], sizeof(INPUT));
    Sleep(30); // a press the button can see as one
    SendInput(1, &input[1], sizeof(INPUT));
}

// ---- Screen ----

Image CaptureScreen(const RECT& rect)
{
    Image image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    if (image.width <= 0 || image.height <= 0)
        return Image();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    image.pixels.resize((size_t)image.width * image.height);
    const BYTE* p = static_cast<const BYTE*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

Image CaptureWindow(HWND window)
{
    RECT rc;
    GetWindowRect(window, &rc);
    return CaptureScreen(rc);
}

bool SaveBmp(const Image& image, const std::string& path)
{
    if (image.width == 0)
        return false;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = -image.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    DWORD bytes = (DWORD)image.pixels.size() * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bytes;
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (COLORREF c : image.pixels) {
        char px[4] = {(char)GetBValue(c), (char)GetGValue(c), (char)GetRValue(c), 0};
        data.append(px, 4);
    }
    return testsupport::WriteWholeFile(path, data);
}

Image LoadJpeg(const std::string& path)
{
    Image image;
    std::string bytes = ReadWholeFile(path);
    if (bytes.empty())
        return image;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)))
        return image;
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, (LONG)bytes.size(), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr))
        return image;
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    HBITMAP bitmap = (HBITMAP)(UINT_PTR)handle;
    BITMAP bm = {};
    GetObjectA(bitmap, sizeof bm, &bm);
    image.width = bm.bmWidth;
    image.height = bm.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<BYTE> bits((size_t)image.width * image.height * 4);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, image.height, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    picture->Release();
    image.pixels.resize((size_t)image.width * image.height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = RGB(bits[i * 4 + 2], bits[i * 4 + 1], bits[i * 4]);
    return image;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

double MatchShare(const Image& a, const Image& b, const RECT& rect, int tolerance)
{
    size_t total = 0, same = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            if (x >= a.width || y >= a.height || x >= b.width || y >= b.height)
                continue;
            ++total;
            if (Near(a.At(x, y), b.At(x, y), tolerance))
                ++same;
        }
    return total ? (double)same / total : 0.0;
}

std::string ScreenshotDir()
{
    std::string dir = BuildDir() + "\\e2e\\screens";
    CreateDirectoryA((BuildDir() + "\\e2e").c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

} // namespace e2e
