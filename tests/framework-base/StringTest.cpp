#include <gtest/gtest.h>
#include <string>

#include "framework/String.h"

TEST(CStringFormat, LongTextsAreFormattedWhole) {
    std::string big(5000, 'x');
    big[4999] = 'y';
    CString s;
    s.Format("[%s] %d/%d %s", big.c_str(), 7, 9, "end");
    ASSERT_EQ(s.GetLength(), 5000 + 2 + 1 + 3 + 1 + 3);
    EXPECT_EQ(std::string(s), "[" + big + "] 7/9 end");

    // Formatting into itself (as a shorter, then a longer text) keeps the arguments readable.
    CString again(s);
    s.Format("%.3s|%s", (LPCSTR)again, (LPCSTR)again.Mid(again.GetLength() - 3));
    EXPECT_STREQ(s, "[xx|end");
}

TEST(CStringFormat, ConversionsThatTheProgramUses) {
    CString s;
    s.Format("%4.1fKb/sec", 1.0 * 1234 / 1000);
    EXPECT_STREQ(s, " 1.2Kb/sec");
    s.Format("%d / %d", 3, 12);
    EXPECT_STREQ(s, "3 / 12");
    s.Format("%02d/%02d-%02d:%02d:%02d\t%s", 1, 2, 3, 4, 5, "msg");
    EXPECT_STREQ(s, "01/02-03:04:05\tmsg");
    s.Format("%u%u", 4000000000u, 17u);
    EXPECT_STREQ(s, "400000000017");
    s.Format("%zu|%lld", (size_t)-1, -1234567890123LL);
    EXPECT_EQ(std::string(s), std::to_string((size_t)-1) + "|-1234567890123");
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTrim, Whitespace) {
    CString s(" \t\r\n value with  inner  spaces \v\f\r\n");
    s.TrimRight();
    EXPECT_STREQ(s, " \t\r\n value with  inner  spaces");
    s.TrimLeft();
    EXPECT_STREQ(s, "value with  inner  spaces");

    CString blank(" \t \r\n");
    EXPECT_TRUE(blank.TrimLeft().IsEmpty());
    CString empty;
    EXPECT_TRUE(empty.TrimRight().IsEmpty());

    // Chained on the same object.
    CString chained("  a  ");
    EXPECT_STREQ(chained.TrimLeft().TrimRight(), "a");
}

TEST(CStringPieces, ReverseFindAndClampedExtraction) {
    CString s("filelist.txt.sig");
    EXPECT_EQ(s.ReverseFind('.'), 12);
    EXPECT_EQ(s.ReverseFind('l'), 4);
    EXPECT_EQ(s.ReverseFind('z'), -1);
    EXPECT_EQ(CString().ReverseFind('a'), -1);

    CString path("C:\\Jeux\\Velmora\\launcher.exe");
    EXPECT_STREQ(path.Left(path.ReverseFind('\\')), "C:\\Jeux\\Velmora");
    EXPECT_STREQ(path.Mid(path.ReverseFind('\\') + 1), "launcher.exe");

    CString abc("abcdef");
    EXPECT_STREQ(abc.Left(3), "abc");
    EXPECT_STREQ(abc.Left(10), "abcdef");
    EXPECT_STREQ(abc.Left(-1), "");
    EXPECT_STREQ(abc.Mid(2, 2), "cd");
    EXPECT_STREQ(abc.Mid(4, 10), "ef");
    EXPECT_STREQ(abc.Mid(10), "");
    EXPECT_STREQ(abc.Mid(-2, 3), "abc");
}

TEST(CStringEdit, ReplaceCharacters) {
    CString path("a/b/c");
    EXPECT_EQ(path.Replace('/', '\\'), 2);
    EXPECT_STREQ(path, "a\\b\\c");
    EXPECT_EQ(path.Replace('z', 'x'), 0);
    CString decimal("2.7 Go");
    decimal.Replace('.', ',');
    EXPECT_STREQ(decimal, "2,7 Go");
}

TEST(CStringBuffer, DirectWritesAndSelfReferences) {
    CString s;
    char* p = s.GetBuffer(MAX_PATH);
    DWORD n = ::GetModuleFileNameA(NULL, p, MAX_PATH);
    s.ReleaseBuffer();
    ASSERT_GT(n, 0u);
    EXPECT_EQ(s.GetLength(), (int)n);
    EXPECT_EQ(_stricmp(s.Mid(s.GetLength() - 4), ".EXE"), 0);

    CString fixed;
    memcpy(fixed.GetBuffer(10), "abc\0defghi", 10);
    fixed.ReleaseBuffer(5);
    EXPECT_EQ(fixed.GetLength(), 5);
    fixed.ReleaseBuffer();
    EXPECT_EQ(fixed.GetLength(), 3);

    // Assigning a pointer into the string's own text.
    CString self("0123456789");
    self = (LPCSTR)self + 4;
    EXPECT_STREQ(self, "456789");
    self += (LPCSTR)self;
    EXPECT_STREQ(self, "456789456789");

    CString nullText((LPCSTR)NULL);
    EXPECT_TRUE(nullText.IsEmpty());
    CString built("ab");
    built += 'c';
    built += "d";
    EXPECT_STREQ(built, "abcd");
    EXPECT_EQ(built[2], 'c');
}
