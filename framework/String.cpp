#include "framework/String.h"

#include <stdio.h>
#include <string.h>
#include <vector>

namespace {

// Case folding of the ANSI code page, built once from the system's own lower-casing.
const unsigned char* FoldTable() {
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> t(256);
        char chars[256];
        for (int i = 0; i < 256; ++i) chars[i] = (char)i;
        ::CharLowerBuffA(chars + 1, 255);
        t[0] = 0;
        for (int i = 1; i < 256; ++i) t[i] = (unsigned char)chars[i];
        return t;
    }();
    return table.data();
}

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

LPSTR CString::GetBufferSetLength(int nNewLength) {
    m_str.resize((size_t)(nNewLength > 0 ? nNewLength : 0));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    size_t length = nNewLength < 0 ? strnlen(m_str.c_str(), m_str.size()) : (size_t)nNewLength;
    m_str.resize(length);
}

void CString::Append(LPCSTR pch, int nLength) {
    if (pch && nLength > 0) m_str.append(pch, (size_t)nLength);
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

void CString::AppendFormat(LPCSTR pszFormat, ...) {
    CString tail;
    va_list args;
    va_start(args, pszFormat);
    tail.FormatV(pszFormat, args);
    va_end(args);
    *this += tail;
}

int CString::Compare(LPCSTR psz) const {
    return strcmp(m_str.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const {
    const unsigned char* fold = FoldTable();
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(psz ? psz : "");
    for (;; ++a, ++b) {
        int diff = (int)fold[*a] - (int)fold[*b];
        if (diff != 0 || *a == 0) return diff;
    }
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0) nStart = 0;
    if (nStart >= GetLength()) return -1;
    size_t pos = m_str.find(ch, (size_t)nStart);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::Find(LPCSTR pszSub, int nStart) const {
    if (!pszSub) return -1;
    if (nStart < 0) nStart = 0;
    if (nStart > GetLength()) return -1;
    size_t pos = m_str.find(pszSub, (size_t)nStart);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::ReverseFind(char ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
    if (!pszCharSet || !*pszCharSet) return -1;
    size_t pos = m_str.find_first_of(pszCharSet);
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

CString CString::Right(int nCount) const {
    nCount = Clamp(nCount, 0, GetLength());
    return CString(m_str.c_str() + (GetLength() - nCount), nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
    if (!pszCharSet) return CString();
    size_t n = m_str.find_first_not_of(pszCharSet);
    return Left(n == std::string::npos ? GetLength() : (int)n);
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
    if (!pszCharSet || !*pszCharSet) return *this;
    size_t n = m_str.find_first_of(pszCharSet);
    return Left(n == std::string::npos ? GetLength() : (int)n);
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(LPCSTR pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_str.size() && IsTrimSpace(m_str[i])) ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(char ch) {
    size_t i = 0;
    while (i < m_str.size() && m_str[i] == ch) ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets) {
    if (!pszTargets || !*pszTargets) return *this;
    size_t i = m_str.find_first_not_of(pszTargets);
    m_str.erase(0, i == std::string::npos ? m_str.size() : i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && IsTrimSpace(m_str[n - 1])) --n;
    m_str.resize(n);
    return *this;
}

CString& CString::TrimRight(char ch) {
    size_t n = m_str.size();
    while (n > 0 && m_str[n - 1] == ch) --n;
    m_str.resize(n);
    return *this;
}

CString& CString::TrimRight(LPCSTR pszTargets) {
    if (!pszTargets || !*pszTargets) return *this;
    size_t i = m_str.find_last_not_of(pszTargets);
    m_str.resize(i == std::string::npos ? 0 : i + 1);
    return *this;
}

CString& CString::MakeLower() {
    if (!m_str.empty()) ::CharLowerBuffA(&m_str[0], (DWORD)m_str.size());
    return *this;
}

CString& CString::MakeUpper() {
    if (!m_str.empty()) ::CharUpperBuffA(&m_str[0], (DWORD)m_str.size());
    return *this;
}

CString& CString::MakeReverse() {
    std::string reversed(m_str.rbegin(), m_str.rend());
    m_str.swap(reversed);
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

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
    if (!pszOld || !*pszOld) return 0;
    const std::string from(pszOld);
    const std::string to(pszNew ? pszNew : "");
    std::string result;
    int count = 0;
    size_t start = 0;
    for (size_t pos; (pos = m_str.find(from, start)) != std::string::npos; start = pos + from.size()) {
        result.append(m_str, start, pos - start);
        result += to;
        ++count;
    }
    if (count) {
        result.append(m_str, start, std::string::npos);
        m_str.swap(result);
    }
    return count;
}

int CString::Remove(char ch) {
    size_t before = m_str.size();
    std::string kept;
    kept.reserve(before);
    for (char c : m_str)
        if (c != ch) kept += c;
    m_str.swap(kept);
    return (int)(before - m_str.size());
}

int CString::Insert(int nIndex, char ch) {
    nIndex = Clamp(nIndex, 0, GetLength());
    m_str.insert((size_t)nIndex, 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCSTR psz) {
    nIndex = Clamp(nIndex, 0, GetLength());
    if (psz) {
        std::string copy(psz);
        m_str.insert((size_t)nIndex, copy);
    }
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    nIndex = Clamp(nIndex, 0, GetLength());
    nCount = Clamp(nCount, 0, GetLength() - nIndex);
    m_str.erase((size_t)nIndex, (size_t)nCount);
    return GetLength();
}

CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
CString operator+(LPCSTR a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }
