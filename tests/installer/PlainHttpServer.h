// A plain-HTTP server on 127.0.0.1, on a port of its own, that answers every request with 200 and one
// body: what a redirect away from HTTPS would reach.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace installtest {

class PlainHttpServer {
public:
    explicit PlainHttpServer(const std::string& body);
    ~PlainHttpServer();
    PlainHttpServer(const PlainHttpServer&) = delete;
    PlainHttpServer& operator=(const PlainHttpServer&) = delete;

    // "http://127.0.0.1:<port>" and the path.
    std::string Url(const std::string& path) const;
    // The request lines ("GET /path HTTP/1.1") of the requests answered so far, recorded before the
    // answer goes out.
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Answer(SOCKET client);

    std::string m_body;
    SOCKET m_listener = INVALID_SOCKET;
    WSAEVENT m_acceptEvent = WSA_INVALID_EVENT;
    HANDLE m_stop = NULL;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

} // namespace installtest
