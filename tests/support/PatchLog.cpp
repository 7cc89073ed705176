#include "tests/support/PatchLog.h"

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

namespace testsupport {

namespace {

bool HasTimeStamp(const std::string& line)
{
    if (line.size() < 15 || line[2] != '/' || line[5] != '-' || line[8] != ':' || line[11] != ':' || line[14] != '\t')
        return false;
    for (int digit : {0, 1, 3, 4, 6, 7, 9, 10, 12, 13})
        if (!isdigit((unsigned char)line[digit]))
            return false;
    return true;
}

} // namespace

std::string LogText(const std::string& folder)
{
    return ReadIfReadable(JoinPath(folder, "PatchLog.txt"));
}

std::vector<std::string> LogMessages(const std::string& folder)
{
    std::vector<std::string> messages;
    std::string text = LogText(folder);
    if (!text.empty()) {
        EXPECT_EQ(text.compare(text.size() - std::min<size_t>(2, text.size()), 2, "\r\n"), 0)
            << "the log does not end with CR LF: " << text;
    }
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find("\r\n", begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        if (HasTimeStamp(line))
            messages.push_back(line.substr(15));
        else if (!messages.empty())
            messages.back() += "\r\n" + line;
        else
            ADD_FAILURE() << "the log does not start with a time stamp: " << line;
        begin = end + 2;
    }
    return messages;
}

} // namespace testsupport
