// The list-line parser, the name rule and the URL escaping, run as the Windows program runs them.
#include <stdlib.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "engine/ListLine.h"

namespace {

const char kMd5[] = "0123456789abcdef0123456789abcdef";

struct Parsed {
    ListLineKind kind;
    std::string buffer;  // the line buffer up to its first string end, as the parser left it
    const char* name;
    uint32_t size;
    const char* md5;
    char line[LIST_LINE_BUFFER];
};

// Parses a copy of `text`; outputs start as sentinels so untouched ones can be seen.
void Parse(const std::string& text, Parsed* p) {
    ASSERT_LT(text.size(), sizeof p->line);
    memset(p->line, 0, sizeof p->line);
    memcpy(p->line, text.data(), text.size());
    static const char kUntouched[] = "untouched";
    p->name = kUntouched;
    p->md5 = kUntouched;
    p->size = 0xDEADBEEF;
    p->kind = ParseListLine(p->line, &p->name, &p->size, &p->md5);
    p->buffer = p->line;
}

ListLineKind KindOf(const std::string& text) {
    Parsed p;
    Parse(text, &p);
    return p.kind;
}

std::string Entry(const std::string& name, const std::string& size = "12",
                  const std::string& md5 = kMd5) {
    return name + "|" + size + "|" + md5;
}

std::string Escape(const std::string& in) {
    std::string out(3 * in.size() + 1, '\x7F');
    EscapeUrlPath(in.c_str(), &out[0]);
    return std::string(out.c_str());
}

TEST(ListLineKinds, LinesWithoutEntryAreSkippedAndLeaveOutputsAlone) {
    const char* skipped[] = {"", "\n", "\r\n", "# comment", "#Vorn.exe|1|0123", "#defaut|",
                             "#defaut|\r\n", "#defaut", "#DEFAUT|a|1|0123456789abcdef0123456789abcdef",
                             "#Defaut|Vorn.exe|12|0123456789abcdef0123456789abcdef\n"};
    for (const char* text : skipped) {
        SCOPED_TRACE(text);
        Parsed p;
        Parse(text, &p);
        EXPECT_EQ(p.kind, LINE_SKIP);
        EXPECT_STREQ(p.name, "untouched");
        EXPECT_STREQ(p.md5, "untouched");
        EXPECT_EQ(p.size, 0xDEADBEEFu);
    }
}

TEST(ListLineKinds, OrdinaryEntryHandsOutItsFieldsInsideTheBuffer) {
    Parsed p;
    Parse("data/Big Map.res|4096|" + std::string(kMd5) + "\n", &p);
    ASSERT_EQ(p.kind, LINE_FILE);
    EXPECT_STREQ(p.name, "data/Big Map.res");
    EXPECT_EQ(p.size, 4096u);
    EXPECT_STREQ(p.md5, kMd5);
    EXPECT_EQ(p.name, p.line);
    EXPECT_GT(p.md5, p.line);
    EXPECT_LT(p.md5, p.line + sizeof p.line);
}

TEST(ListLineKinds, DefaultPrefixEntryPointsBehindThePrefix) {
    Parsed p;
    Parse("#defaut|config/options.ini|0|" + std::string(kMd5), &p);
    ASSERT_EQ(p.kind, LINE_DEFAULT_FILE);
    EXPECT_STREQ(p.name, "config/options.ini");
    EXPECT_EQ(p.name, p.line + 8);
    EXPECT_EQ(p.size, 0u);
    // The separators are string ends now; the prefix stays in the buffer.
    EXPECT_EQ(p.buffer, "#defaut|config/options.ini");
}

TEST(ListLineKinds, CrLfAndLfEndingsGiveTheSameEntry) {
    Parsed lf, crlf, cr;
    Parse(Entry("Vorn.exe") + "\n", &lf);
    Parse(Entry("Vorn.exe") + "\r\n", &crlf);
    Parse(Entry("Vorn.exe") + "\rtrailing junk", &cr);
    for (Parsed* p : {&lf, &crlf, &cr}) {
        EXPECT_EQ(p->kind, LINE_FILE);
        EXPECT_STREQ(p->name, "Vorn.exe");
        EXPECT_EQ(p->size, 12u);
        EXPECT_STREQ(p->md5, kMd5);
    }
}

TEST(ListLineInvalid, MissingFieldsAndBlankLines) {
    EXPECT_EQ(KindOf("   "), LINE_INVALID);
    EXPECT_EQ(KindOf(" \t \r\n"), LINE_INVALID);
    EXPECT_EQ(KindOf("Vorn.exe"), LINE_INVALID);
    EXPECT_EQ(KindOf("Vorn.exe|12"), LINE_INVALID);
    EXPECT_EQ(KindOf("#defaut|Vorn.exe|12"), LINE_INVALID);
    EXPECT_EQ(KindOf("\xEF\xBB\xBFVorn.exe|12|" + std::string(kMd5)), LINE_INVALID);

    // What is left in the buffer is what the log shows.
    Parsed p;
    Parse("Vorn.exe|12\n", &p);
    EXPECT_EQ(p.buffer, "Vorn.exe");
    Parse("no separator here\r\n", &p);
    EXPECT_EQ(p.buffer, "no separator here");
}

TEST(ListLineInvalid, BadSizeField) {
    EXPECT_EQ(KindOf(Entry("a", "")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "12a")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "12 ")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "x12")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", " ")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "-")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "0x10")), LINE_INVALID);
}

TEST(ListLineInvalid, BadMd5Field) {
    const std::string md5(kMd5);
    EXPECT_EQ(KindOf(Entry("a", "1", "0123456789ABCDEF0123456789abcdef")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", "0123456789abcdeF0123456789abcdef")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", md5.substr(0, 31))), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", md5 + "0")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", md5 + "|")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", md5 + " ")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", "0123456789abcdeg0123456789abcdef")), LINE_INVALID);
    EXPECT_EQ(KindOf(Entry("a", "1", "")), LINE_INVALID);
}

TEST(ListLineInvalid, UnsafeNamesRefuseTheLine) {
    const char* unsafe[] = {"/Vorn.exe", "data\\a.res", "c:x", "a//b", "a/", "./a", "a/./b",
                            "../a", "a/..", "..", ".", "caf\xE9", "tab\there", "del\x7F"};
    for (const char* name : unsafe) {
        SCOPED_TRACE(name);
        EXPECT_EQ(KindOf(Entry(name)), LINE_INVALID);
        EXPECT_EQ(KindOf("#defaut|" + Entry(name)), LINE_INVALID);
    }
    EXPECT_EQ(KindOf(Entry("")), LINE_INVALID);
}

TEST(ListLineSize, AcceptsWhatStrtoulConverts) {
    // `crt`: whether the C runtime here agrees. For a negative number beyond the range the
    // C standard gives ULONG_MAX, which we keep; the Microsoft runtime negates that into 1.
    const struct { const char* field; uint32_t value; bool crt; } cases[] = {
        {"0", 0, true}, {"00042", 42, true}, {" 7", 7, true}, {"\t\v\f7", 7, true},
        {"+7", 7, true}, {"-0", 0, true}, {"-1", 4294967295u, true}, {"-4294967295", 1, true},
        {"4294967295", 4294967295u, true}, {"4294967296", 4294967295u, true},
        {"99999999999999999999999", 4294967295u, true},
        {"-4294967296", 4294967295u, false}, {"-99999999999999999999", 4294967295u, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        uint32_t value = 1234;
        ASSERT_TRUE(ParseListSize(c.field, &value));
        EXPECT_EQ(value, c.value);

        char* end = nullptr;
        const unsigned long crt = strtoul(c.field, &end, 10);
        EXPECT_EQ(*end, '\0');
        if (c.crt) {
            EXPECT_EQ(static_cast<uint32_t>(crt), value);
        }

        Parsed p;
        Parse(Entry("a", c.field), &p);
        ASSERT_EQ(p.kind, LINE_FILE);
        EXPECT_EQ(p.size, c.value);
    }
}

TEST(ListLineSize, RefusesWhatStrtoulLeavesUnconvertedOrUnfinished) {
    const char* fields[] = {"", " ", "+", "-", "+-1", "- 1", "1 ", "1.5", "1e3", "0x1F", "one"};
    for (const char* field : fields) {
        SCOPED_TRACE(field);
        uint32_t value = 1234;
        EXPECT_FALSE(ParseListSize(field, &value));
        EXPECT_EQ(value, 1234u);
        char* end = nullptr;
        strtoul(field, &end, 10);
        EXPECT_TRUE(end == field || *end != '\0');
    }
}

TEST(ListNameRule, LengthLimits) {
    EXPECT_FALSE(IsSafeListPath(""));
    EXPECT_TRUE(IsSafeListPath("a"));
    const std::string name160 = std::string(150, 'x') + "/" + std::string(9, 'y');
    ASSERT_EQ(name160.size(), 160u);
    EXPECT_TRUE(IsSafeListPath(name160.c_str()));
    EXPECT_FALSE(IsSafeListPath((name160 + "z").c_str()));
    EXPECT_EQ(KindOf(Entry(name160)), LINE_FILE);
    EXPECT_EQ(KindOf(Entry(name160 + "z")), LINE_INVALID);
}

TEST(ListNameRule, CharactersAndSegments) {
    EXPECT_TRUE(IsSafeListPath("data/Big Map.res"));
    EXPECT_TRUE(IsSafeListPath(" lead and trail "));
    EXPECT_TRUE(IsSafeListPath(".../a"));
    EXPECT_TRUE(IsSafeListPath(".hidden/..x/x.."));
    EXPECT_TRUE(IsSafeListPath("~!@#$%^&*()_+{}[]<>?;'\",=`"));
    EXPECT_FALSE(IsSafeListPath("/a"));
    EXPECT_FALSE(IsSafeListPath("a\\b"));
    EXPECT_FALSE(IsSafeListPath("a:b"));
    EXPECT_FALSE(IsSafeListPath("a//b"));
    EXPECT_FALSE(IsSafeListPath("a/b/"));
    EXPECT_FALSE(IsSafeListPath("a/./b"));
    EXPECT_FALSE(IsSafeListPath("a/../b"));
    EXPECT_FALSE(IsSafeListPath("a/.."));
    EXPECT_FALSE(IsSafeListPath("\x1F"));
    EXPECT_FALSE(IsSafeListPath("\x7F"));
    EXPECT_FALSE(IsSafeListPath("\x80"));
    EXPECT_FALSE(IsSafeListPath("\xFF"));
}

TEST(UrlEscaping, KeepsUnreservedAndCaseEscapesTheRest) {
    EXPECT_EQ(Escape("files/pc/data/data/Big Map.res"), "files/pc/data/data/Big%20Map.res");
    EXPECT_EQ(Escape("100%#1"), "100%25%231");
    EXPECT_EQ(Escape("AbC-._~/zZ09"), "AbC-._~/zZ09");
    EXPECT_EQ(Escape("caf\xE9\x01\x7F\xFF"), "caf%E9%01%7F%FF");
    EXPECT_EQ(Escape("?&=+"), "%3F%26%3D%2B");
    EXPECT_EQ(Escape(""), "");
}

TEST(UrlEscaping, FillsExactlyTheDocumentedBuffer) {
    const std::string worst(160, '\xAB');
    std::string out(3 * worst.size() + 1 + 8, '!');
    EscapeUrlPath(worst.c_str(), &out[0]);
    EXPECT_EQ(out[3 * worst.size()], '\0');
    EXPECT_EQ(out.substr(3 * worst.size() + 1), std::string(8, '!'));
    EXPECT_EQ(out.substr(0, 6), "%AB%AB");
}

}  // namespace
