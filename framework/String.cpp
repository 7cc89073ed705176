#include "framework/String.h"

#include <stdio.h>
#include <string.h>
#include <vector>

namespace {

bool IsTrimSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

}  // namespace

CString::CString(LPCSTR pch, int nLength) {
    if (pch && nLength > 0) m_str.assign(pch, (size_t)nLength);
}

CString& CString::operator=(LPCSTR psz) {
    if (!psz) {
        m_str.clear();
    } else {
        std::string copy(psz);  // psz may point into this string
        m_str.swap(copy);
    }
    return *this;
}

LPSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength()) m_str.resize((size_t)nMinBufLength);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    size_t length = nNewLength < 0 ? strnlen(m_str.c_str(), m_str.size()) : (size_t)nNewLength;
    m_str.resize(length);
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
    if (!pszFormat) {
        m_str.clear();
        return;
    }
    std::vector<char> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = vsnprintf(buffer.data(), buffer.size(), pszFormat, copy);
        va_end(copy);
        if (n >= 0 && (size_t)n < buffer.size()) {
            m_str.assign(buffer.data(), (size_t)n);
            return;
        }
        // A C99 vsnprintf reports the needed length; an older one only -1: then keep doubling.
        size_t needed = n >= 0 ? (size_t)n + 1 : buffer.size() * 2;
        if (needed > 64u * 1024u * 1024u) {
            m_str.clear();
            return;
        }
        buffer.resize(needed);
    }
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

int CString::ReverseFind(char ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

CString CString::Left(int nCount) const {
    nCount = Clamp(nCount, 0, GetLength());
    return CString(m_str.c_str(), nCount);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
    nFirst = Clamp(nFirst, 0, GetLength());
    nCount = Clamp(nCount, 0, GetLength() - nFirst);
    return CString(m_str.c_str() + nFirst, nCount);
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_str.size() && IsTrimSpace(m_str[i])) ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && IsTrimSpace(m_str[n - 1])) --n;
    m_str.resize(n);
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    int count = 0;
    for (char& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++count;
        }
    }
    return count;
}
