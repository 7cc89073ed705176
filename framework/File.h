// Exceptions, files, memory files, archives and an IStream over an archive.
#pragma once

#include <windows.h>
#include <objidl.h>

#include "framework/Object.h"
#include "framework/String.h"

// Thrown by pointer and released by the catcher: catch (CException* e) { e->Delete(); }
class CException : public CObject {
public:
    CException() {}
    void Delete() { delete this; }
    virtual BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = NULL) const;
};

class CMemoryException : public CException {
public:
    BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override;
};

class CFileException : public CException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCSTR pszFileName = NULL)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName) {}

    BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override;

    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCSTR pszFileName = NULL);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCSTR pszFileName = NULL);
[[noreturn]] void AfxThrowMemoryException();

class CFile : public CObject {
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile();
    ~CFile() override;

    // FALSE on failure; pError (if given) then holds the cause and the system error.
    virtual BOOL Open(LPCSTR pszFileName, UINT nOpenFlags, CFileException* pError = NULL);
    virtual UINT Read(void* pBuf, UINT nCount);
    // Throws CFileException* when the system write fails or writes fewer bytes.
    virtual void Write(const void* pBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void Close();   // throws when the system refuses to close
    virtual void Abort();   // closes, ignoring errors

    HANDLE m_hFile;

protected:
    CString m_strFileName;
    BOOL m_bCloseOnDelete;
};

// A file in memory. Attach(buffer, size, 0) reads and writes a caller's buffer in place: the file
// neither frees nor grows it. With a grow step the file owns its (malloc'ed) buffer and enlarges it.
class CMemFile : public CFile {
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    ~CMemFile() override;

    void Attach(BYTE* pBuffer, UINT nBufferSize, UINT nGrowBytes = 0);

    UINT Read(void* pBuf, UINT nCount) override;
    void Write(const void* pBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void Close() override;
    void Abort() override { Close(); }

private:
    void Reserve(SIZE_T nNewSize);
    void FreeBuffer();

    UINT m_nGrowBytes;
    SIZE_T m_nPosition;
    SIZE_T m_nBufferSize;
    SIZE_T m_nFileSize;
    BYTE* m_lpBuffer;
    BOOL m_bAutoDelete;
};

// Buffered reading from or writing to a file.
class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = NULL);
    ~CArchive();

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    UINT Read(void* pBuf, UINT nMax);
    void Write(const void* pBuf, UINT nCount);
    // Storing: writes out the buffer. Loading: drops what was read ahead and moves the file back
    // to the archive's reading position, so the file can then be used directly.
    void Flush();
    void Close();
    void Abort();

    CFile* m_pFile;

private:
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    UINT m_nMode;
    UINT m_nBufSize;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax;
    BOOL m_bUserBuf;
};

// IStream over an archive, for APIs such as OleLoadPicture. It lives as long as its owner's scope:
// the reference count is kept but never frees the object.
class CArchiveStream : public IStream {
public:
    explicit CArchiveStream(CArchive* pArchive) : m_pArchive(pArchive), m_cRef(1) {}
    virtual ~CArchiveStream() {}

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(Read)(void* pv, ULONG cb, ULONG* pcbRead) override;
    STDMETHOD(Write)(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    STDMETHOD(Seek)(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
    STDMETHOD(SetSize)(ULARGE_INTEGER libNewSize) override;
    STDMETHOD(CopyTo)(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override;
    STDMETHOD(Commit)(DWORD grfCommitFlags) override;
    STDMETHOD(Revert)() override;
    STDMETHOD(LockRegion)(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
    STDMETHOD(UnlockRegion)(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
    STDMETHOD(Stat)(STATSTG* pstatstg, DWORD grfStatFlag) override;
    STDMETHOD(Clone)(IStream** ppstm) override;

    CArchive* m_pArchive;

private:
    LONG m_cRef;
};
