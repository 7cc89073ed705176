// The path a picture resource takes into an OLE picture: resource memory -> CMemFile -> CArchive ->
// CArchiveStream -> OleLoadPicture.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <utility>

#include "framework/File.h"
#include "framework/Gdi.h"
#include "test_resource.h"

namespace {

class PictureChain : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(NULL))); }
    void TearDown() override {
        if (m_picture) m_picture->Release();
        ::OleUninitialize();
    }

    // Loads resource id of type "IMAGE" into m_picture; returns the OleLoadPicture result.
    HRESULT Load(UINT id) {
        HMODULE module = ::GetModuleHandleA(NULL);
        HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), "IMAGE");
        if (!found) return E_INVALIDARG;
        DWORD size = ::SizeofResource(module, found);
        HGLOBAL loaded = ::LoadResource(module, found);
        if (!loaded) return E_INVALIDARG;
        BYTE* bytes = static_cast<BYTE*>(::LockResource(loaded));

        CMemFile mem;
        mem.Attach(bytes, size, 0);
        CArchive ar(&mem, CArchive::load | CArchive::bNoFlushOnDelete, 4096, NULL);
        CArchiveStream stream(&ar);
        HRESULT hr = ::OleLoadPicture(&stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&m_picture));
        // The picture keeps no reference to the stream, which dies with this scope.
        m_streamRefsAfterLoad = stream.AddRef() - 1;
        stream.Release();
        return hr;
    }

    HBITMAP Bitmap() const {
        OLE_HANDLE handle = 0;
        if (!m_picture || FAILED(m_picture->get_Handle(&handle))) return NULL;
        return (HBITMAP)(UINT_PTR)handle;
    }

    std::pair<int, int> BitmapSize() const {
        BITMAP info = {};
        if (!::GetObjectA(Bitmap(), sizeof info, &info)) return {0, 0};
        return {info.bmWidth, info.bmHeight};
    }

    COLORREF PixelAt(int x, int y) const {
        CDC dc;
        dc.CreateCompatibleDC(NULL);
        CBitmap* old = dc.SelectObject(CBitmap::FromHandle(Bitmap()));
        COLORREF color = ::GetPixel(dc.GetSafeHdc(), x, y);
        dc.SelectObject(old);
        return color;
    }

    IPicture* m_picture = nullptr;
    ULONG m_streamRefsAfterLoad = 0;
};

bool Near(BYTE value, BYTE expected) { return value + 40 >= expected && value <= expected + 40; }

}  // namespace

TEST_F(PictureChain, SmallJpegHasItsSizeAndColours) {
    ASSERT_EQ(Load(IDR_SMALL_JPEG), S_OK);
    ASSERT_NE(m_picture, nullptr);
    EXPECT_EQ(m_streamRefsAfterLoad, 1u);
    ASSERT_NE(Bitmap(), (HBITMAP)NULL);
    EXPECT_EQ(BitmapSize(), std::make_pair(37, 23));
    // A vertical gradient from red (top) to blue (bottom).
    COLORREF top = PixelAt(18, 0), bottom = PixelAt(18, 22);
    EXPECT_GT(GetRValue(top), 200) << std::hex << top;
    EXPECT_LT(GetBValue(top), 60) << std::hex << top;
    EXPECT_GT(GetBValue(bottom), 200) << std::hex << bottom;
    EXPECT_LT(GetRValue(bottom), 60) << std::hex << bottom;
}

TEST_F(PictureChain, JpegLargerThanTheArchiveBuffer) {
    ASSERT_EQ(Load(IDR_BIG_JPEG), S_OK);
    EXPECT_EQ(BitmapSize(), std::make_pair(200, 150));
}

TEST_F(PictureChain, BitmapKeepsItsOrientation) {
    ASSERT_EQ(Load(IDR_CORNER_BMP), S_OK);
    EXPECT_EQ(BitmapSize(), std::make_pair(21, 13));
    COLORREF corner = PixelAt(0, 0), opposite = PixelAt(20, 12);
    EXPECT_TRUE(Near(GetRValue(corner), 255) && Near(GetGValue(corner), 0)) << std::hex << corner;
    EXPECT_TRUE(Near(GetGValue(opposite), 255) && Near(GetRValue(opposite), 0)) << std::hex << opposite;
}

TEST_F(PictureChain, DataThatIsNoPictureFailsCleanly) {
    EXPECT_TRUE(FAILED(Load(IDR_NOT_A_PICTURE)));
    EXPECT_EQ(m_picture, nullptr);
    EXPECT_EQ(Load(IDR_MISSING), E_INVALIDARG);
}
