// 8-bit string in the ANSI code page, with the usual formatting, searching and trimming helpers.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string>

class CString {
public:
    CString() {}
    CString(const CString& other) : m_str(other.m_str) {}
    CString(CString&& other) noexcept : m_str(std::move(other.m_str)) {}
    CString(LPCSTR psz) { if (psz) m_str = psz; }
    CString(LPCSTR pch, int nLength);
    explicit CString(char ch, int nRepeat = 1) { if (nRepeat > 0) m_str.assign((size_t)nRepeat, ch); }

    CString& operator=(const CString& other) { m_str = other.m_str; return *this; }
    CString& operator=(CString&& other) noexcept { m_str = std::move(other.m_str); return *this; }
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch) { m_str.assign(1, ch); return *this; }

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }
    LPCSTR GetString() const { return m_str.c_str(); }

    char GetAt(int nIndex) const { return m_str[(size_t)nIndex]; }
    void SetAt(int nIndex, char ch) { m_str[(size_t)nIndex] = ch; }
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // Direct access: the buffer holds at least nMinBufLength characters plus a terminator.
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    LPSTR GetBuffer(int nMinBufLength = 0);
    LPSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(LPCSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    void Append(LPCSTR psz) { *this += psz; }
    void Append(LPCSTR pch, int nLength);
    void AppendChar(char ch) { m_str += ch; }

    // printf formats of the C runtime in use; the compiler checks the arguments (pass a CString as (LPCSTR)).
    void Format(LPCSTR pszFormat, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
    void FormatV(LPCSTR pszFormat, va_list args) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 0)));
    void AppendFormat(LPCSTR pszFormat, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));

    // Ordinal comparisons: <0, 0 or >0. The no-case one folds letters of the ANSI code page.
    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;

    // Searches return a zero-based index or -1.
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR pszCharSet) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;

    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(LPCSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(LPCSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(LPCSTR pszTargets);

    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();

    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR psz);
    int Delete(int nIndex, int nCount = 1);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCSTR b);
    friend CString operator+(LPCSTR a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

private:
    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }
inline bool operator<(LPCSTR a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, LPCSTR b) { return a.Compare(b) > 0; }
inline bool operator>(LPCSTR a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
