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
    s.Format("%.3s|%s", (LPCSTR)again, (LPCSTR)again.Right(3));
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
    s.AppendFormat("%c%c", 'a', 'b');
    s.AppendFormat("%03d", 5);
    EXPECT_STREQ(s, "ab005");
}

TEST(CStringTrim, WhitespaceAndCharacterSets) {
    CString s(" \t\r\n value with  inner  spaces \v\f\r\n");
    s.Trim();
    EXPECT_STREQ(s, "value with  inner  spaces");

    CString blank(" \t \r\n");
    EXPECT_TRUE(blank.Trim().IsEmpty());
    CString empty;
    EXPECT_TRUE(empty.Trim().IsEmpty());

    CString line("12345 abc\r\n");
    line.TrimRight("\r\n");
    EXPECT_STREQ(line, "12345 abc");
    line.TrimRight("cb");  // a set, not a suffix
    EXPECT_STREQ(line, "12345 a");

    CString quoted("\"\"C:\\Jeu\\x.exe\"");
    quoted.Trim('"');
    EXPECT_STREQ(quoted, "C:\\Jeu\\x.exe");

    CString left("xxyxabc");
    left.TrimLeft("xy");
    EXPECT_STREQ(left, "abc");
    left.TrimLeft('q');
    EXPECT_STREQ(left, "abc");

    CString all("aaaa");
    all.Trim("a");
    EXPECT_TRUE(all.IsEmpty());

    // Chained on the same object.
    CString chained("  a  ");
    EXPECT_STREQ(chained.TrimLeft().TrimRight(), "a");
}

TEST(CStringSearch, FindAndReverseFindEdges) {
    CString s("filelist.txt.sig");
    EXPECT_EQ(s.Find('.'), 8);
    EXPECT_EQ(s.Find('.', 9), 12);
    EXPECT_EQ(s.Find('g', 15), 15);
    EXPECT_EQ(s.Find('g', 16), -1);   // start at the end
    EXPECT_EQ(s.Find('f', 100), -1);  // start past the end
    EXPECT_EQ(s.Find('f', -5), 0);    // negative start counts as 0
    EXPECT_EQ(s.Find(".txt"), 8);
    EXPECT_EQ(s.Find(".txt", 9), -1);
    EXPECT_EQ(s.Find("sig", 13), 13);
    EXPECT_EQ(s.Find("sigs"), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.Find("", 16), 16);
    EXPECT_EQ(s.Find("", 17), -1);
    EXPECT_EQ(s.ReverseFind('.'), 12);
    EXPECT_EQ(s.ReverseFind('l'), 4);
    EXPECT_EQ(s.ReverseFind('z'), -1);
    EXPECT_EQ(CString().ReverseFind('a'), -1);
    EXPECT_EQ(CString().Find('a'), -1);
    EXPECT_EQ(s.FindOneOf("/\\."), 8);
    EXPECT_EQ(s.FindOneOf("XYZ"), -1);

    CString path("C:\\Jeux\\Velmora\\launcher.exe");
    EXPECT_STREQ(path.Left(path.ReverseFind('\\')), "C:\\Jeux\\Velmora");
    EXPECT_STREQ(path.Mid(path.ReverseFind('\\') + 1), "launcher.exe");
}

TEST(CStringCompare, CaseInsensitiveAndOrdering) {
    CString exe("Vorn.exe");
    EXPECT_EQ(exe.CompareNoCase("VORN.EXE"), 0);
    EXPECT_EQ(exe.CompareNoCase("vorn.exe"), 0);
    EXPECT_NE(exe.CompareNoCase("Vorn.exe.old"), 0);
    EXPECT_LT(exe.CompareNoCase("Vorn.exe.old"), 0);  // a prefix sorts first
    EXPECT_GT(exe.CompareNoCase("Vorn"), 0);
    EXPECT_NE(exe.CompareNoCase("Vorn.exf"), 0);
    EXPECT_NE(exe.Compare("vorn.exe"), 0);  // the plain comparison keeps case
    EXPECT_LT(CString("a").CompareNoCase("B"), 0);
    EXPECT_GT(CString("b").CompareNoCase("A"), 0);
    EXPECT_LT(CString("").CompareNoCase("a"), 0);
    EXPECT_EQ(CString("").CompareNoCase(""), 0);
    EXPECT_EQ(CString("").CompareNoCase(NULL), 0);
    // '_' lies between the upper- and lower-case letters: folding must not change the order
    // against letters in a case-dependent way.
    EXPECT_EQ(CString("A_").CompareNoCase("a_") == 0, true);
    EXPECT_EQ((CString("_").CompareNoCase("a") < 0), (CString("_").CompareNoCase("A") < 0));
    // Accented letters of the ANSI code page (this source is compiled to Windows-1252).
    EXPECT_EQ(CString("ÉTÉ").CompareNoCase("été"), 0);
    EXPECT_NE(CString("ete").CompareNoCase("été"), 0);

    EXPECT_TRUE(exe == "Vorn.exe");
    EXPECT_TRUE("Vorn.exe" == exe);
    EXPECT_TRUE(exe != "vorn.exe");
    EXPECT_TRUE(CString("a") < CString("b"));
}

TEST(CStringPieces, ClampedExtraction) {
    CString s("abcdef");
    EXPECT_STREQ(s.Left(3), "abc");
    EXPECT_STREQ(s.Left(10), "abcdef");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(2), "ef");
    EXPECT_STREQ(s.Right(10), "abcdef");
    EXPECT_STREQ(s.Mid(2, 2), "cd");
    EXPECT_STREQ(s.Mid(4, 10), "ef");
    EXPECT_STREQ(s.Mid(10), "");
    EXPECT_STREQ(s.Mid(-2, 3), "abc");
    EXPECT_STREQ(s.SpanIncluding("abc"), "abc");
    EXPECT_STREQ(s.SpanExcluding("d"), "abc");
}

TEST(CStringEdit, ReplaceRemoveInsertDelete) {
    CString s("aaaa");
    EXPECT_EQ(s.Replace("aa", "b"), 2);
    EXPECT_STREQ(s, "bb");
    CString t("aaa");
    EXPECT_EQ(t.Replace("aa", "aaa"), 1);  // no re-scan of what was put in
    EXPECT_STREQ(t, "aaaa");
    EXPECT_EQ(t.Replace("", "x"), 0);
    EXPECT_EQ(t.Replace("z", "x"), 0);
    EXPECT_STREQ(t, "aaaa");
    CString path("a/b/c");
    EXPECT_EQ(path.Replace('/', '\\'), 2);
    EXPECT_STREQ(path, "a\\b\\c");
    EXPECT_EQ(path.Replace("\\", ""), 2);
    EXPECT_STREQ(path, "abc");
    EXPECT_EQ(path.Remove('b'), 1);
    EXPECT_STREQ(path, "ac");
    path.Insert(1, "bb");
    path.Insert(99, 'z');
    EXPECT_STREQ(path, "abbcz");
    path.Delete(1, 2);
    EXPECT_STREQ(path, "acz");
    path.Delete(2, 50);
    EXPECT_STREQ(path, "ac");

    CString mixed("MiXeD Été");
    EXPECT_STREQ(CString(mixed).MakeLower(), "mixed été");
    EXPECT_STREQ(CString(mixed).MakeUpper(), "MIXED ÉTÉ");
}

TEST(CStringBuffer, DirectWritesAndSelfReferences) {
    CString s;
    char* p = s.GetBuffer(MAX_PATH);
    DWORD n = ::GetModuleFileNameA(NULL, p, MAX_PATH);
    s.ReleaseBuffer();
    ASSERT_GT(n, 0u);
    EXPECT_EQ(s.GetLength(), (int)n);
    EXPECT_EQ(s.Right(4).CompareNoCase(".EXE"), 0);

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
    EXPECT_STREQ(CString("ab") + 'c' + "d" + CString("e"), "abcde");
    EXPECT_STREQ('x' + CString("y"), "xy");
    EXPECT_STREQ(CString('-', 3), "---");
}
