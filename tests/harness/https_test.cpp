// WinINet over real HTTPS to the nginx fixture, trusting the test CA of the Wine prefix.
#include "tests/support/TestPaths.h"

#include <windows.h>
#include <wininet.h>
#include <gtest/gtest.h>
#include <string>

using namespace testsupport;

namespace {

struct Internet {
    HINTERNET h;
    explicit Internet(HINTERNET handle) : h(handle) {}
    ~Internet() { if (h) InternetCloseHandle(h); }
    Internet(const Internet&) = delete;
    Internet& operator=(const Internet&) = delete;
};

struct Response {
    DWORD error = 0;   // WinINet error of the first failing call, 0 when an answer came
    DWORD status = 0;
    std::string body;
};

Response Get(const char* host, const std::string& path, const std::string& headers = std::string())
{
    Response response;
    Internet session(InternetOpenA("VelmoraHarnessTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    Internet connection(session.h ? InternetConnectA(session.h, host, INTERNET_DEFAULT_HTTPS_PORT, nullptr,
                                                     nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                                  : nullptr);
    Internet request(connection.h ? HttpOpenRequestA(connection.h, "GET", path.c_str(), nullptr, nullptr, nullptr,
                                                     INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD |
                                                         INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI,
                                                     0)
                                  : nullptr);
    if (!request.h ||
        !HttpSendRequestA(request.h, headers.empty() ? nullptr : headers.c_str(), (DWORD)headers.size(), nullptr, 0)) {
        response.error = GetLastError();
        return response;
    }
    DWORD size = sizeof response.status;
    HttpQueryInfoA(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &response.status, &size, nullptr);
    char buffer[16384];
    DWORD got = 0;
    while (InternetReadFile(request.h, buffer, sizeof buffer, &got) && got > 0)
        response.body.append(buffer, got);
    return response;
}

// Every byte value, in an order that a shifted or truncated copy would not match.
std::string Pattern(size_t size)
{
    std::string data(size, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = (char)(state >> 16);
    }
    return data;
}

class Https : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = FreshFolder(WwwDir() + "\\harness");
        m_data = Pattern(300 * 1024 + 17);
        ASSERT_TRUE(WriteWholeFile(m_dir + "\\data.bin", m_data));
    }
    std::string m_dir;
    std::string m_data;
};

} // namespace

TEST_F(Https, ServesAFileByteExactToLocalhostAndTheLoopbackAddress)
{
    Response byName = Get("localhost", "/harness/data.bin");
    ASSERT_EQ(byName.error, 0u) << "WinINet error; is the test CA trusted (tools/testenv.sh)?";
    EXPECT_EQ(byName.status, 200u);
    EXPECT_EQ(byName.body.size(), m_data.size());
    EXPECT_TRUE(byName.body == m_data);

    Response byAddress = Get("127.0.0.1", "/harness/data.bin");
    ASSERT_EQ(byAddress.error, 0u);
    EXPECT_EQ(byAddress.status, 200u);
    EXPECT_TRUE(byAddress.body == m_data);
}

TEST_F(Https, ARangeRequestGetsTheTailWith206AndIsLogged)
{
    const size_t from = 100000;
    Response tail = Get("localhost", "/harness/data.bin?range", "Range: bytes=100000-\r\n");
    ASSERT_EQ(tail.error, 0u);
    EXPECT_EQ(tail.status, 206u);
    EXPECT_TRUE(tail.body == m_data.substr(from));

    std::string expected = "GET /harness/data.bin?range HTTP/1.1\tbytes=100000-\t206\t" +
                           std::to_string(m_data.size() - from) + "\n";
    EXPECT_NE(ReadWholeFile(NginxAccessLog()).find(expected), std::string::npos);
}

TEST_F(Https, AMissingFileIs404AndAChangedFileIsServedAnew)
{
    Response missing = Get("localhost", "/harness/absent.txt");
    ASSERT_EQ(missing.error, 0u);
    EXPECT_EQ(missing.status, 404u);

    ASSERT_TRUE(WriteWholeFile(m_dir + "\\data.bin", "changed"));
    Response changed = Get("localhost", "/harness/data.bin");
    EXPECT_EQ(changed.status, 200u);
    EXPECT_EQ(changed.body, "changed");
}
