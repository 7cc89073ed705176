// 8-bit string in the ANSI code page, with the usual formatting, searching and trimming helpers.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string>

class CString {
public:
    CString() {}
    CString(LPCSTR psz) { if (psz) m_str = psz; }
    CString(LPCSTR pch, int nLength);

    CString& operator=(LPCSTR psz);

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }

    char GetAt(int nIndex) const { return m_str[(size_t)nIndex]; }
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // Direct access: the buffer holds at least nMinBufLength characters plus a terminator.
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    LPSTR GetBuffer(int nMinBufLength = 0);
    void ReleaseBuffer(int nNewLength = -1);

    CString& operator+=(LPCSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    // printf formats of the C runtime in use; the compiler checks the arguments (pass a CString as (LPCSTR)).
    void Format(LPCSTR pszFormat, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
    void FormatV(LPCSTR pszFormat, va_list args) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 0)));

    // A zero-based index, or -1.
    int ReverseFind(char ch) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    // Blanks, tabs and line ends.
    CString& TrimLeft();
    CString& TrimRight();

    int Replace(char chOld, char chNew);

private:
    std::string m_str;
};

// Both sides would turn into pointers and compare addresses: compare texts with strcmp.
bool operator==(const CString&, LPCSTR) = delete;
bool operator==(LPCSTR, const CString&) = delete;
bool operator!=(const CString&, LPCSTR) = delete;
bool operator!=(LPCSTR, const CString&) = delete;
