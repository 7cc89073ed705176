// libFuzzer target for the file-list line parser, the name rule and the URL escaping.
// Besides memory errors (ASan/UBSan), it checks properties every accepted line must have.
#include "engine/ListLine.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        abort();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses a copy sized to the byte, so any read past the string end is caught.
void CheckParse(const std::string& text) {
    std::unique_ptr<char[]> line(new char[text.size() + 1]);
    memcpy(line.get(), text.data(), text.size());
    line[text.size()] = '\0';
    char* const begin = line.get();
    char* const end = begin + text.size() + 1;

    const char* name = nullptr;
    const char* md5 = nullptr;
    uint32_t size = 0;
    const ListLineKind kind = ParseListLine(begin, &name, &size, &md5);

    Require(kind == LINE_INVALID || kind == LINE_SKIP || kind == LINE_FILE ||
            kind == LINE_DEFAULT_FILE);
    Require(strchr(begin, '\r') == nullptr && strchr(begin, '\n') == nullptr);
    if (kind != LINE_FILE && kind != LINE_DEFAULT_FILE) {
        Require(name == nullptr && md5 == nullptr && size == 0);
        return;
    }
    Require(name >= begin && name < end && md5 >= begin && md5 < end);
    Require(IsSafeListPath(name));
    Require(strlen(name) <= LIST_NAME_MAX && strchr(name, '|') == nullptr);
    Require(strlen(md5) == 32 && strspn(md5, "0123456789abcdef") == 32);
    if (kind == LINE_DEFAULT_FILE)
        Require(name == begin + 8 && strncmp(begin, "#defaut|", 8) == 0);
    else
        Require(name == begin && begin[0] != '#');
}

// The escaped form is made only of safe characters and decodes back to the input.
void CheckEscape(const std::string& text) {
    const std::string input(text.c_str());  // up to the first NUL, as the program sees it
    // Sized exactly as the caller must size it, so a write past it is caught.
    std::unique_ptr<char[]> out(new char[3 * input.size() + 1]);
    EscapeUrlPath(input.c_str(), out.get());
    Require(strlen(out.get()) <= 3 * input.size());

    std::string decoded;
    for (const char* p = out.get(); *p; ++p) {
        if (*p == '%') {
            const int hi = HexValue(p[1]);
            Require(hi >= 0);
            const int lo = HexValue(p[2]);
            Require(lo >= 0);
            decoded.push_back(static_cast<char>(hi * 16 + lo));
            p += 2;
        } else {
            Require(strchr("-._~/", *p) != nullptr || (*p >= 'a' && *p <= 'z') ||
                    (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9'));
            decoded.push_back(*p);
        }
    }
    Require(decoded == input);
}

void CheckName(const std::string& text) {
    const std::string name(text.c_str());
    if (!IsSafeListPath(name.c_str()))
        return;
    Require(!name.empty() && name.size() <= LIST_NAME_MAX && name[0] != '/');
    Require(name.find("//") == std::string::npos && name.back() != '/');
    const std::string wrapped = "/" + name + "/";
    Require(wrapped.find("/./") == std::string::npos && wrapped.find("/../") == std::string::npos);
    Require(name.find_first_of("\\:") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckParse(text);
    CheckEscape(text);
    CheckName(text);
    uint32_t value = 0;
    ParseListSize(text.c_str(), &value);
    return 0;
}
