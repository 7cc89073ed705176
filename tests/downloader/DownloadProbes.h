// What the downloader tests watch besides files: the heads of the requests that the fault server got,
// the TLS connections of its listeners, and the bar positions and speed texts the window received.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The request line, then the header lines as they came, of every request for the URL path (a job's
// URL path, without its leading slash; the query is ignored), in arrival order.
std::vector<std::vector<std::string>> RequestHeads(const std::string& urlPath);
// The values of a head's header lines called `name` (any letter case), in order.
std::vector<std::string> HeaderValues(const std::vector<std::string>& head, const std::string& name);

// Connections that reached the fault server's listener on `address` so far, whether their handshake
// was accepted or refused.
size_t TlsConnections(const std::string& address);

// Records, while it lives, the positions that two progress bars and the texts that a label of this
// thread's windows receive (sent from any thread).
class ProgressRecorder {
public:
    ProgressRecorder(HWND fileBar, HWND totalBar, HWND speedLabel);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<int> FilePositions() const;
    std::vector<int> TotalPositions() const;
    std::vector<std::string> SpeedTexts() const;
};
