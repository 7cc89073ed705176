#include "controls/BackgroundPicture.h"

CBackgroundPicture::CBackgroundPicture() : m_pPicture(NULL) {}

CBackgroundPicture::~CBackgroundPicture() {
    ReleasePicture();
}

void CBackgroundPicture::ReleasePicture() {
    if (m_pPicture != NULL)
        m_pPicture->Release();
}

void CBackgroundPicture::Free() {
    if (m_pPicture != NULL) {
        IPicture* pPicture = m_pPicture;
        m_pPicture = NULL;
        pPicture->Release();
    }
}

BOOL CBackgroundPicture::LoadFromResource(UINT nId) {
    HINSTANCE hRes = AfxGetResourceHandle();
    HRSRC hInfo = ::FindResourceA(hRes, MAKEINTRESOURCEA(nId), "IMAGE");
    if (hInfo == NULL)
        return FALSE;
    const DWORD dwSize = ::SizeofResource(hRes, hInfo);
    HGLOBAL hData = ::LoadResource(hRes, hInfo);
    if (hData == NULL)
        return FALSE;
    BYTE* pData = (BYTE*)::LockResource(hData);
    if (pData == NULL)
        return FALSE;

    CMemFile file;
    file.Attach(pData, dwSize, 0);
    return LoadFromFile(&file);
}

BOOL CBackgroundPicture::LoadFromFile(CFile* pFile) {
    CArchive archive(pFile, CArchive::load | CArchive::bNoFlushOnDelete, 4096, NULL);
    return LoadFromArchive(&archive);
}

BOOL CBackgroundPicture::LoadFromArchive(CArchive* pArchive) {
    CArchiveStream stream(pArchive);
    return LoadFromStream(&stream);
}

BOOL CBackgroundPicture::LoadFromStream(IStream* pStream) {
    Free();
    HRESULT hr = ::OleLoadPicture(pStream, 0, FALSE, IID_IPicture, (void**)&m_pPicture);
    return SUCCEEDED(hr) && m_pPicture != NULL;
}

HBITMAP CBackgroundPicture::GetBitmap() {
    if (m_pPicture == NULL)
        return NULL;
    OLE_HANDLE handle = 0;
    if (FAILED(m_pPicture->get_Handle(&handle)))
        return NULL;
    // A 32-bit OLE handle; 64-bit GDI handles are its sign extension.
    return (HBITMAP)LongToHandle((LONG)handle);
}

CSize GetPictureSize(CBackgroundPicture* pPicture) {
    if (pPicture->GetBitmap() == NULL)
        return CSize(0, 0);
    BITMAP bm = {};
    if (::GetObjectA(pPicture->GetBitmap(), sizeof bm, &bm) == 0)
        return CSize(0, 0);
    return CSize(bm.bmWidth, bm.bmHeight);
}
