#include "framework/File.h"

#include <stdlib.h>
#include <string.h>

// ---------------------------------------------------------------------------------------------
// Exceptions

BOOL CException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (pszError && nMaxError) *pszError = '\0';
    return FALSE;
}

BOOL CMemoryException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (!pszError || !nMaxError) return FALSE;
    lstrcpynA(pszError, "Out of memory.", (int)nMaxError);
    return TRUE;
}

BOOL CFileException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (!pszError || !nMaxError) return FALSE;
    *pszError = '\0';
    if (m_lOsError > 0) {
        DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                   (DWORD)m_lOsError, 0, pszError, nMaxError, NULL);
        while (n > 0 && (pszError[n - 1] == '\n' || pszError[n - 1] == '\r')) pszError[--n] = '\0';
        if (n > 0) return TRUE;
    }
    CString text;
    text.Format("File error %d%s%s", m_cause, m_strFileName.IsEmpty() ? "" : ": ", (LPCSTR)m_strFileName);
    lstrcpynA(pszError, text, (int)nMaxError);
    return TRUE;
}

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCSTR pszFileName) {
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, pszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR pszFileName) {
    throw new CFileException(cause, lOsError, pszFileName);
}

void AfxThrowMemoryException() {
    throw new CMemoryException();
}

// ---------------------------------------------------------------------------------------------
// CFile

namespace {

void SetError(CFileException* pError, int cause, LONG lOsError, LPCSTR pszFileName) {
    if (!pError) return;
    pError->m_cause = cause;
    pError->m_lOsError = lOsError;
    pError->m_strFileName = pszFileName;
}

}  // namespace

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE) {}

CFile::~CFile() {
    // Closing may fail; a destructor must not throw, so errors are ignored here.
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != INVALID_HANDLE_VALUE) Abort();

    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
        SetError(pError, CFileException::genericException, ERROR_INVALID_PARAMETER, pszFileName);
        return FALSE;
    }

    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareCompat:
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default:
        SetError(pError, CFileException::genericException, ERROR_INVALID_PARAMETER, pszFileName);
        return FALSE;
    }

    DWORD creation = OPEN_EXISTING;
    if (nOpenFlags & modeCreate) creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, (nOpenFlags & modeNoInherit) == 0};
    HANDLE h = ::CreateFileA(pszFileName, access, share, &sa, creation, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        LONG err = (LONG)::GetLastError();
        SetError(pError, CFileException::OsErrorToException(err), err, pszFileName);
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    m_strFileName = pszFileName;
    return TRUE;
}

UINT CFile::Read(void* pBuf, UINT nCount) {
    if (nCount == 0) return 0;
    DWORD read = 0;
    if (!::ReadFile(m_hFile, pBuf, nCount, &read, NULL)) {
        LONG err = (LONG)::GetLastError();
        if (err == ERROR_HANDLE_EOF || err == ERROR_BROKEN_PIPE) return 0;
        CFileException::ThrowOsError(err, m_strFileName);
    }
    return read;
}

void CFile::Write(const void* pBuf, UINT nCount) {
    if (nCount == 0) return;
    DWORD written = 0;
    if (!::WriteFile(m_hFile, pBuf, nCount, &written, NULL))
        CFileException::ThrowOsError((LONG)::GetLastError(), m_strFileName);
    if (written != nCount) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    DWORD method = nFrom == begin ? FILE_BEGIN : nFrom == current ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER move, pos;
    move.QuadPart = lOff;
    if (nFrom > end || !::SetFilePointerEx(m_hFile, move, &pos, method))
        CFileException::ThrowOsError(nFrom > end ? ERROR_INVALID_PARAMETER : (LONG)::GetLastError(), m_strFileName);
    return (ULONGLONG)pos.QuadPart;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) CFileException::ThrowOsError((LONG)::GetLastError(), m_strFileName);
    return (ULONGLONG)size.QuadPart;
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    BOOL ok = ::CloseHandle(m_hFile);
    LONG err = ok ? 0 : (LONG)::GetLastError();
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (!ok) CFileException::ThrowOsError(err);
}

void CFile::Abort() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

// ---------------------------------------------------------------------------------------------
// CMemFile

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(NULL),
      m_bAutoDelete(TRUE) {}

CMemFile::~CMemFile() { FreeBuffer(); }

void CMemFile::Attach(BYTE* pBuffer, UINT nBufferSize, UINT nGrowBytes) {
    FreeBuffer();
    m_lpBuffer = pBuffer;
    m_nBufferSize = nBufferSize;
    m_nGrowBytes = nGrowBytes;
    m_nPosition = 0;
    // A fixed buffer holds its content already; a growable one starts empty and is ours.
    m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
    m_bAutoDelete = nGrowBytes != 0;
}

void CMemFile::FreeBuffer() {
    if (m_bAutoDelete && m_lpBuffer) free(m_lpBuffer);
    m_lpBuffer = NULL;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}

void CMemFile::Reserve(SIZE_T nNewSize) {
    if (nNewSize <= m_nBufferSize) return;
    if (m_nGrowBytes == 0 || !m_bAutoDelete) AfxThrowMemoryException();
    // Whole grow steps past the current size; near the top of the range, just what is asked
    // (stepping up one grow at a time would wrap round there and never end).
    SIZE_T size = nNewSize;
    const SIZE_T rest = (nNewSize - m_nBufferSize) % m_nGrowBytes;
    if (rest != 0 && nNewSize <= (SIZE_T)-1 - (m_nGrowBytes - rest)) size += m_nGrowBytes - rest;
    BYTE* grown = static_cast<BYTE*>(realloc(m_lpBuffer, size));
    if (!grown) AfxThrowMemoryException();
    m_lpBuffer = grown;
    m_nBufferSize = size;
}

UINT CMemFile::Read(void* pBuf, UINT nCount) {
    if (m_nPosition >= m_nFileSize || nCount == 0) return 0;
    SIZE_T n = m_nFileSize - m_nPosition;
    if (n > nCount) n = nCount;
    memcpy(pBuf, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return (UINT)n;
}

void CMemFile::Write(const void* pBuf, UINT nCount) {
    if (nCount == 0) return;
    SIZE_T end = m_nPosition + nCount;
    if (end < m_nPosition) AfxThrowMemoryException();
    Reserve(end);
    if (m_nPosition > m_nFileSize) memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    memcpy(m_lpBuffer + m_nPosition, pBuf, nCount);
    m_nPosition = end;
    if (end > m_nFileSize) m_nFileSize = end;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG base = nFrom == begin ? 0 : nFrom == current ? (LONGLONG)m_nPosition : (LONGLONG)m_nFileSize;
    LONGLONG target = base + lOff;
    if (nFrom > end || target < 0 || (ULONGLONG)target > (ULONGLONG)(SIZE_T)-1)
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = (SIZE_T)target;
    return (ULONGLONG)m_nPosition;
}

void CMemFile::Close() { FreeBuffer(); }

// ---------------------------------------------------------------------------------------------
// CArchive

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode), m_nBufSize(nBufSize > 0 ? (UINT)nBufSize : 4096u),
      m_bUserBuf(lpBuf != NULL) {
    m_lpBufStart = lpBuf ? static_cast<BYTE*>(lpBuf) : new BYTE[m_nBufSize];
    m_lpBufCur = m_lpBufStart;
    // Loading: the buffer starts empty. Storing: the whole buffer is free.
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

CArchive::~CArchive() {
    if (m_pFile) {
        if (m_nMode & bNoFlushOnDelete) {
            Abort();
        } else {
            try {
                Close();
            } catch (CException* e) {
                e->Delete();
                Abort();
            }
        }
    }
    if (!m_bUserBuf) delete[] m_lpBufStart;
}

UINT CArchive::Read(void* pBuf, UINT nMax) {
    if (!IsLoading() || !m_pFile || nMax == 0) return 0;
    BYTE* out = static_cast<BYTE*>(pBuf);
    UINT total = 0;
    while (total < nMax) {
        UINT buffered = (UINT)(m_lpBufMax - m_lpBufCur);
        if (buffered) {
            UINT n = buffered < nMax - total ? buffered : nMax - total;
            memcpy(out + total, m_lpBufCur, n);
            m_lpBufCur += n;
            total += n;
            continue;
        }
        UINT left = nMax - total;
        if (left >= m_nBufSize) {
            // Large request: straight from the file, no copy through the buffer.
            UINT n = m_pFile->Read(out + total, left);
            if (n == 0) break;
            total += n;
            continue;
        }
        UINT n = m_pFile->Read(m_lpBufStart, m_nBufSize);
        m_lpBufCur = m_lpBufStart;
        m_lpBufMax = m_lpBufStart + n;
        if (n == 0) break;
    }
    return total;
}

void CArchive::Write(const void* pBuf, UINT nCount) {
    if (IsLoading() || !m_pFile || nCount == 0) return;
    const BYTE* in = static_cast<const BYTE*>(pBuf);
    while (nCount) {
        UINT room = (UINT)(m_lpBufMax - m_lpBufCur);
        if (room == 0) {
            Flush();
            room = (UINT)(m_lpBufMax - m_lpBufCur);
        }
        UINT n = room < nCount ? room : nCount;
        memcpy(m_lpBufCur, in, n);
        m_lpBufCur += n;
        in += n;
        nCount -= n;
    }
}

void CArchive::Flush() {
    if (!m_pFile) return;
    if (IsLoading()) {
        UINT unread = (UINT)(m_lpBufMax - m_lpBufCur);
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
        if (unread) m_pFile->Seek(-(LONGLONG)unread, CFile::current);
    } else {
        UINT pending = (UINT)(m_lpBufCur - m_lpBufStart);
        m_lpBufCur = m_lpBufStart;
        if (pending) m_pFile->Write(m_lpBufStart, pending);
    }
}

void CArchive::Close() {
    if (!m_pFile) return;
    if (IsStoring()) Flush();
    m_pFile = NULL;
}

void CArchive::Abort() { m_pFile = NULL; }

// ---------------------------------------------------------------------------------------------
// CArchiveStream

HRESULT CArchiveStream::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream) || IsEqualIID(riid, IID_IStream)) {
        *ppvObject = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = NULL;
    return E_NOINTERFACE;
}

ULONG CArchiveStream::AddRef() { return (ULONG)InterlockedIncrement(&m_cRef); }

ULONG CArchiveStream::Release() {
    LONG n = InterlockedDecrement(&m_cRef);
    return n > 0 ? (ULONG)n : 0;
}

HRESULT CArchiveStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    if (pcbRead) *pcbRead = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if (!m_pArchive || !m_pArchive->IsLoading()) return STG_E_ACCESSDENIED;
    try {
        UINT n = m_pArchive->Read(pv, cb);
        if (pcbRead) *pcbRead = n;
        return S_OK;
    } catch (CException* e) {
        e->Delete();
        return STG_E_READFAULT;
    }
}

HRESULT CArchiveStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if (!m_pArchive || !m_pArchive->IsStoring()) return STG_E_ACCESSDENIED;
    try {
        m_pArchive->Write(pv, cb);
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    } catch (CException* e) {
        e->Delete();
        return STG_E_WRITEFAULT;
    }
}

HRESULT CArchiveStream::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) {
    if (!m_pArchive || !m_pArchive->GetFile()) return STG_E_INVALIDFUNCTION;
    UINT from;
    switch (dwOrigin) {
    case STREAM_SEEK_SET: from = CFile::begin; break;
    case STREAM_SEEK_CUR: from = CFile::current; break;
    case STREAM_SEEK_END: from = CFile::end; break;
    default: return STG_E_INVALIDFUNCTION;
    }
    try {
        // Bring the file to the archive's position before moving it.
        m_pArchive->Flush();
        ULONGLONG pos = m_pArchive->GetFile()->Seek(dlibMove.QuadPart, from);
        if (plibNewPosition) plibNewPosition->QuadPart = pos;
        return S_OK;
    } catch (CException* e) {
        e->Delete();
        return STG_E_SEEKERROR;
    }
}

HRESULT CArchiveStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }

HRESULT CArchiveStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }

HRESULT CArchiveStream::Commit(DWORD) {
    if (!m_pArchive || !m_pArchive->IsStoring()) return S_OK;
    try {
        m_pArchive->Flush();
        return S_OK;
    } catch (CException* e) {
        e->Delete();
        return STG_E_WRITEFAULT;
    }
}

HRESULT CArchiveStream::Revert() { return STG_E_INVALIDFUNCTION; }

HRESULT CArchiveStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT CArchiveStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT CArchiveStream::Stat(STATSTG* pstatstg, DWORD) {
    if (!pstatstg) return STG_E_INVALIDPOINTER;
    memset(pstatstg, 0, sizeof *pstatstg);
    if (!m_pArchive || !m_pArchive->GetFile()) return STG_E_INVALIDFUNCTION;
    try {
        // Whatever is still buffered for writing belongs to the stream's size too.
        if (m_pArchive->IsStoring()) m_pArchive->Flush();
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = m_pArchive->GetFile()->GetLength();
        pstatstg->grfMode = m_pArchive->IsLoading() ? STGM_READ : STGM_WRITE;
        return S_OK;
    } catch (CException* e) {
        e->Delete();
        return STG_E_ACCESSDENIED;
    }
}

HRESULT CArchiveStream::Clone(IStream** ppstm) {
    if (ppstm) *ppstm = NULL;
    return E_NOTIMPL;
}
