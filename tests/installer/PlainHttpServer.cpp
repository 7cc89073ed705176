#include "tests/installer/PlainHttpServer.h"

#include <gtest/gtest.h>

namespace installtest {

PlainHttpServer::PlainHttpServer(const std::string& body) : m_body(body) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bool listening = m_listener != INVALID_SOCKET && bind(m_listener, (sockaddr*)&address, sizeof address) == 0 &&
                     listen(m_listener, 8) == 0 && getsockname(m_listener, (sockaddr*)&address, &length) == 0;
    EXPECT_TRUE(listening) << "plain HTTP server: " << WSAGetLastError();
    m_port = ntohs(address.sin_port);
    m_acceptEvent = WSACreateEvent();
    m_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (listening && WSAEventSelect(m_listener, m_acceptEvent, FD_ACCEPT) == 0)
        m_thread = std::thread([this] { Serve(); });
}

PlainHttpServer::~PlainHttpServer() {
    SetEvent(m_stop);
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != INVALID_SOCKET)
        closesocket(m_listener);
    WSACloseEvent(m_acceptEvent);
    CloseHandle(m_stop);
    WSACleanup();
}

std::string PlainHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> PlainHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void PlainHttpServer::Serve() {
    HANDLE events[] = {m_stop, m_acceptEvent};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSANETWORKEVENTS happened;
        WSAEnumNetworkEvents(m_listener, m_acceptEvent, &happened);
        SOCKET client;
        while ((client = accept(m_listener, NULL, NULL)) != INVALID_SOCKET) {
            // The accepted socket inherits the listener's non-blocking event selection.
            WSAEventSelect(client, NULL, 0);
            u_long blocking = 0;
            ioctlsocket(client, FIONBIO, &blocking);
            Answer(client);
            closesocket(client);
        }
    }
}

void PlainHttpServer::Answer(SOCKET client) {
    DWORD timeoutMs = 10000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, (const char*)&timeoutMs, sizeof timeoutMs);
    std::string request;
    char buffer[1024];
    int got;
    while (request.find("\r\n\r\n") == std::string::npos && (got = recv(client, buffer, sizeof buffer, 0)) > 0)
        request.append(buffer, got);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request.substr(0, request.find("\r\n")));
    }
    std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                         std::to_string(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body;
    send(client, answer.data(), (int)answer.size(), 0);
    shutdown(client, SD_SEND);
}

} // namespace installtest
