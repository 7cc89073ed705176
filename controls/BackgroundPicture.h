// Holds one picture loaded from the program's resources (custom type "IMAGE") and hands
// out its bitmap. Knows nothing of windows.
#pragma once

#include "framework/framework.h"

class CBackgroundPicture {
public:
    CBackgroundPicture();
    ~CBackgroundPicture();

    CBackgroundPicture(const CBackgroundPicture&) = delete;
    CBackgroundPicture& operator=(const CBackgroundPicture&) = delete;

    void Free();
    BOOL LoadFromResource(UINT nId);
    BOOL LoadFromFile(CFile* pFile);
    BOOL LoadFromArchive(CArchive* pArchive);
    BOOL LoadFromStream(IStream* pStream);
    HBITMAP GetBitmap();

protected:
    void ReleasePicture();

    IPicture* m_pPicture;
};

// Width and height of the picture's bitmap, (0, 0) when there is none.
CSize GetPictureSize(CBackgroundPicture* pPicture);
