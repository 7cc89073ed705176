// CBackgroundPicture: resource -> memory file -> archive -> stream -> picture, and what it keeps
// when a load fails.
#include <gtest/gtest.h>

#include "controls/BackgroundPicture.h"
#include "test_resource.h"

namespace {

class TestPicture : public CBackgroundPicture {
public:
    using CBackgroundPicture::m_pPicture;
};

// A stream over a copy of the given bytes.
IStream* StreamOf(const void* data, size_t size) {
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(hMem), data, size);
    GlobalUnlock(hMem);
    IStream* pStream = NULL;
    if (FAILED(CreateStreamOnHGlobal(hMem, TRUE, &pStream)))
        return NULL;
    return pStream;
}

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

}  // namespace

TEST(BackgroundPicture, EmptyHolderHasNoBitmap) {
    TestPicture picture;
    EXPECT_EQ(picture.GetBitmap(), (HBITMAP)NULL);
    const CSize size = GetPictureSize(&picture);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    picture.Free();
    EXPECT_EQ(picture.m_pPicture, (IPicture*)NULL);
}

TEST(BackgroundPicture, LoadsTheJpegResource) {
    TestPicture picture;
    ASSERT_TRUE(picture.LoadFromResource(IDR_TEST_PICTURE));
    const HBITMAP hBitmap = picture.GetBitmap();
    ASSERT_NE(hBitmap, (HBITMAP)NULL);
    EXPECT_EQ(GetObjectType(hBitmap), (DWORD)OBJ_BITMAP);
    const CSize size = GetPictureSize(&picture);
    EXPECT_EQ(size.cx, 480);
    EXPECT_EQ(size.cy, 600);
}

TEST(BackgroundPicture, UnknownIdKeepsThePictureHeldBefore) {
    TestPicture picture;
    ASSERT_TRUE(picture.LoadFromResource(IDR_TEST_PICTURE));
    IPicture* const held = picture.m_pPicture;
    const HBITMAP hBitmap = picture.GetBitmap();
    EXPECT_FALSE(picture.LoadFromResource(4711));
    EXPECT_EQ(picture.m_pPicture, held);
    EXPECT_EQ(picture.GetBitmap(), hBitmap);
    EXPECT_EQ(GetPictureSize(&picture).cx, 480);
}

TEST(BackgroundPicture, DataThePictureLoaderRefusesLeavesNoPicture) {
    TestPicture picture;
    ASSERT_TRUE(picture.LoadFromResource(IDR_TEST_PICTURE));
    EXPECT_FALSE(picture.LoadFromResource(IDR_TEST_NOT_A_PICTURE));
    EXPECT_EQ(picture.m_pPicture, (IPicture*)NULL);
    EXPECT_EQ(picture.GetBitmap(), (HBITMAP)NULL);
    EXPECT_EQ(GetPictureSize(&picture).cx, 0);

    static const char junk[] = "this is no picture at all, just some text bytes";
    IStream* pStream = StreamOf(junk, sizeof junk);
    ASSERT_NE(pStream, (IStream*)NULL);
    EXPECT_FALSE(picture.LoadFromStream(pStream));
    EXPECT_EQ(picture.GetBitmap(), (HBITMAP)NULL);
    pStream->Release();
}

TEST(BackgroundPicture, ReloadingReleasesTheFirstPictureAndDestructionTheLast) {
    IPicture* first = NULL;
    IPicture* second = NULL;
    {
        TestPicture picture;
        ASSERT_TRUE(picture.LoadFromResource(IDR_TEST_PICTURE));
        first = picture.m_pPicture;
        first->AddRef();
        ASSERT_EQ(RefCount(first), 2u);

        ASSERT_TRUE(picture.LoadFromResource(IDR_TEST_PICTURE));
        second = picture.m_pPicture;
        ASSERT_NE(second, first);
        EXPECT_EQ(RefCount(first), 1u) << "the holder still holds the first picture";
        second->AddRef();
    }
    EXPECT_EQ(RefCount(second), 1u) << "destruction did not release the picture";
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
}

TEST(BackgroundPicture, LoadsFromAnOpenFile) {
    HRSRC hInfo = FindResourceA(NULL, MAKEINTRESOURCEA(IDR_TEST_PICTURE), "IMAGE");
    ASSERT_NE(hInfo, (HRSRC)NULL);
    const DWORD size = SizeofResource(NULL, hInfo);
    std::vector<BYTE> copy(size);
    memcpy(copy.data(), LockResource(LoadResource(NULL, hInfo)), size);
    CMemFile file;
    file.Attach(copy.data(), size, 0);
    TestPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(&file));
    EXPECT_EQ(GetPictureSize(&picture).cy, 600);
}
