#include "engine/ListLine.h"

#include <string.h>

namespace {

const char kDefaultPrefix[] = "#defaut|";
const size_t kDefaultPrefixLen = sizeof kDefaultPrefix - 1;

// strtoul's white space in the "C" locale; kept explicit so bytes above 0x7F never reach
// the <ctype.h> functions.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsLowerHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool IsUnreservedUrlByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}

bool IsBadSegment(const char* begin, size_t len) {
    return len == 0 || (len == 1 && begin[0] == '.') ||
           (len == 2 && begin[0] == '.' && begin[1] == '.');
}

}  // namespace

BOOL ParseListSize(const char* field, uint32_t* value) {
    const char* p = field;
    while (IsCSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (*p < '0' || *p > '9')
        return FALSE;

    const uint64_t kMax = 0xFFFFFFFFu;
    uint64_t magnitude = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (!overflow) {
            magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
            if (magnitude > kMax)
                overflow = true;
        }
    }
    if (*p != '\0')
        return FALSE;

    if (overflow)
        *value = 0xFFFFFFFFu;
    else if (negative)
        *value = static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude));
    else
        *value = static_cast<uint32_t>(magnitude);
    return TRUE;
}

BOOL IsSafeListPath(const char* name) {
    if (name[0] == '\0' || name[0] == '/')
        return FALSE;
    const size_t len = strlen(name);
    if (len > LIST_NAME_MAX)
        return FALSE;

    for (size_t i = 0; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c > 0x7E || c == '\\' || c == ':')
            return FALSE;
    }

    const char* segment = name;
    for (size_t i = 0; i <= len; ++i) {
        if (i == len || name[i] == '/') {
            if (IsBadSegment(segment, static_cast<size_t>(name + i - segment)))
                return FALSE;
            segment = name + i + 1;
        }
    }
    return TRUE;
}

void EscapeUrlPath(const char* in, char* out) {
    static const char kHex[] = "0123456789ABCDEF";
    for (; *in; ++in) {
        const unsigned char c = static_cast<unsigned char>(*in);
        if (IsUnreservedUrlByte(c)) {
            *out++ = static_cast<char>(c);
        } else {
            *out++ = '%';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 0x0F];
        }
    }
    *out = '\0';
}

ListLineKind ParseListLine(char* line, const char** name, uint32_t* size, const char** md5) {
    line[strcspn(line, "\r\n")] = '\0';

    ListLineKind kind = LINE_FILE;
    char* entry = line;
    if (entry[0] == '#') {
        if (strncmp(entry, kDefaultPrefix, kDefaultPrefixLen) != 0)
            return LINE_SKIP;
        entry += kDefaultPrefixLen;
        kind = LINE_DEFAULT_FILE;
    }
    if (entry[0] == '\0')
        return LINE_SKIP;

    char* bar = strchr(entry, '|');
    if (!bar)
        return LINE_INVALID;
    *bar = '\0';
    char* sizeField = bar + 1;
    bar = strchr(sizeField, '|');
    if (!bar)
        return LINE_INVALID;
    *bar = '\0';
    const char* md5Field = bar + 1;

    uint32_t listedSize = 0;
    if (!ParseListSize(sizeField, &listedSize))
        return LINE_INVALID;

    if (strlen(md5Field) != 32)
        return LINE_INVALID;
    for (int i = 0; i < 32; ++i) {
        if (!IsLowerHexDigit(md5Field[i]))
            return LINE_INVALID;
    }

    if (!IsSafeListPath(entry))
        return LINE_INVALID;

    *name = entry;
    *size = listedSize;
    *md5 = md5Field;
    return kind;
}
