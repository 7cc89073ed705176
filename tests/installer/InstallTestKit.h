// Shared pieces of the installer tests: language, the published version file, shortcuts, paths.
#pragma once
#include <windows.h>
#include <string>

namespace installtest {

// The French or the English text, by the language this process runs in.
const char* Txt(const char* french, const char* english);

// Publishes files/pc/Vers.txt on the test web server (https://localhost/).
void PublishVersionFile(const std::string& content);

// The fault server (tools/faultserver.py) on https://127.0.0.2/, with a rules file of this program's
// own, removed when the object goes.
class FaultServerRules {
public:
    static const char* Host() { return "127.0.0.2"; }
    FaultServerRules();
    ~FaultServerRules();
    FaultServerRules(const FaultServerRules&) = delete;
    FaultServerRules& operator=(const FaultServerRules&) = delete;

    // Replaces the rules: lines "<url path> <mode> [arguments]".
    void Set(const std::string& rules);
    // Serves the content at the URL path ("/t/..." keeps clear of the other tests' files).
    void Publish(const std::string& urlPath, const std::string& content);

private:
    std::string m_file;
};

// Drive N: mapped to a fresh folder while the object lives. Wine's drive letters are symbolic links in
// $WINEPREFIX/dosdevices, made and removed here by Linux's own ln and rm. The end-to-end tests, which
// may run at the same time, map drive M: for themselves.
class MappedDrive {
public:
    MappedDrive();
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    static std::string Letter() { return "N:"; }
    static std::string Root() { return "N:\\"; }
    // Whether the drive answered once mapped (a test failure is recorded otherwise).
    bool Ready() const { return m_ready; }

private:
    std::string m_folder; // what the drive shows, as a path on another drive
    std::string m_link;   // the Linux path of the drive's link
    bool m_ready = false;
};

struct ShortcutInfo {
    bool loaded = false;
    std::string target;
    std::string workingFolder;
    std::string description;
    std::string arguments;
    std::string iconPath;
    int iconIndex = -1;
};

// Read back through the shell's own link object.
ShortcutInfo ReadShortcut(const std::string& linkPath);

// "Velmora World.lnk" in the user's Desktop and Start-menu Programs folders.
std::string DesktopShortcut();
std::string ProgramsShortcut();
void RemoveShortcuts();
// Both shortcuts start `target` (any case) in `folder`, with its first icon and no arguments.
void ExpectShortcutsTo(const std::string& target, const std::string& folder);

// Whether the mutex of that name still exists, that is whether a handle to it is still open. (A closed
// handle's value may already stand for a new object of this process.)
bool MutexExists(const std::string& name);

std::string Upper(std::string text);
std::string Lower(std::string text);

// A folder path of exactly `length` characters below `base` (made of padding elements).
std::string PathOfLength(const std::string& base, size_t length);

} // namespace installtest
