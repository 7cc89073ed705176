#include <gtest/gtest.h>
#include <vector>

#include "framework/Gdi.h"
#include "tests/support/GdiObjects.h"

namespace {

bool Alive(HGDIOBJ h) { return ::GetObjectType(h) != 0; }

// A 32-bit DIB section filled with white, selected into its own memory DC.
class Canvas {
public:
    Canvas(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.Attach(::CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0));
        m_dc.CreateCompatibleDC(NULL);
        m_old = m_dc.SelectObject(&m_bitmap);
        m_dc.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
    }
    ~Canvas() { m_dc.SelectObject(m_old); }
    CDC& dc() { return m_dc; }
    COLORREF At(int x, int y) { return ::GetPixel(m_dc.GetSafeHdc(), x, y); }

private:
    CBitmap m_bitmap;
    CDC m_dc;
    CBitmap* m_old = nullptr;
};

}  // namespace

TEST(GdiOwnership, MembersDeleteWhatTheyCreatedOrWereGiven) {
    HGDIOBJ font, bitmap, brush;
    {
        CFont f;
        ASSERT_TRUE(f.Attach(::CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                           "Segoe UI")));
        CBitmap b;
        ASSERT_TRUE(b.CreateCompatibleBitmap(NULL, 8, 8));
        CBrush br;
        ASSERT_TRUE(br.CreateSolidBrush(RGB(1, 2, 3)));
        font = f.m_hObject;
        bitmap = b.m_hObject;
        brush = br.m_hObject;
        EXPECT_TRUE(Alive(font) && Alive(bitmap) && Alive(brush));
    }
    EXPECT_FALSE(Alive(font));
    EXPECT_FALSE(Alive(bitmap));
    EXPECT_FALSE(Alive(brush));
}

TEST(GdiOwnership, RebuildingAFontReplacesTheOldOne) {
    LOGFONTA lf;
    ASSERT_EQ(::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), (int)sizeof lf);
    CFont font;
    ASSERT_TRUE(font.Attach(::CreateFontIndirectA(&lf)));
    HGDIOBJ first = font.m_hObject;

    // The label's way: delete, then attach a new one.
    lf.lfWeight = FW_BOLD;
    font.DeleteObject();
    EXPECT_FALSE(Alive(first));
    EXPECT_EQ(font.m_hObject, (HGDIOBJ)NULL);
    ASSERT_TRUE(font.Attach(::CreateFontIndirectA(&lf)));
    HGDIOBJ second = font.m_hObject;

    // Attaching over a held font frees the one held.
    lf.lfWeight = FW_NORMAL;
    ASSERT_TRUE(font.Attach(::CreateFontIndirectA(&lf)));
    EXPECT_FALSE(Alive(second));
    LOGFONTA now;
    EXPECT_EQ(::GetObjectA(font.m_hObject, sizeof now, &now), (int)sizeof now);
    EXPECT_EQ(now.lfWeight, FW_NORMAL);

    // A failed creation keeps what is held; Detach hands the handle over.
    EXPECT_FALSE(font.Attach(NULL));
    HGDIOBJ kept = font.Detach();
    EXPECT_TRUE(Alive(kept));
    EXPECT_EQ(font.m_hObject, (HGDIOBJ)NULL);
    EXPECT_FALSE(font.DeleteObject());
    EXPECT_TRUE(::DeleteObject(kept));
}

TEST(GdiOwnership, TemporaryWrappersNeverDelete) {
    HFONT raw = ::CreateFontA(-9, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
    CFont* wrapper = CFont::FromHandle(raw);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->m_hObject, (HGDIOBJ)raw);
    EXPECT_EQ(CFont::FromHandle(raw), wrapper);  // the same object each time: it may be kept
    CGdiObject* general = CGdiObject::FromHandle(raw);
    EXPECT_EQ(general->m_hObject, (HGDIOBJ)raw);
    EXPECT_EQ(CGdiObject::FromHandle(NULL), nullptr);
    EXPECT_TRUE(Alive(raw));
    EXPECT_TRUE(::DeleteObject(raw));

    CFont* none = nullptr;
    EXPECT_EQ(none->GetSafeHandle(), (HGDIOBJ)NULL);
    CDC* noDC = nullptr;
    EXPECT_EQ(noDC->GetSafeHdc(), (HDC)NULL);
    CFont empty;
    EXPECT_EQ(empty.GetSafeHandle(), (HGDIOBJ)NULL);
}

TEST(GdiDC, CreatedDCIsDeletedAttachedOneIsNot) {
    HDC created;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
        created = dc.GetSafeHdc();
        EXPECT_EQ(::GetObjectType(created), (DWORD)OBJ_MEMDC);
    }
    EXPECT_EQ(::GetObjectType(created), 0u);

    HDC foreign = ::CreateCompatibleDC(NULL);
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(foreign));
        dc.SetBkMode(TRANSPARENT);
        CDC* temp = CDC::FromHandle(foreign);
        EXPECT_EQ(temp->m_hDC, foreign);
        EXPECT_EQ(::GetBkMode(temp->GetSafeHdc()), TRANSPARENT);
    }
    EXPECT_EQ(::GetObjectType(foreign), (DWORD)OBJ_MEMDC);
    EXPECT_TRUE(::DeleteDC(foreign));

    HDC detached;
    {
        CDC dc;
        dc.CreateCompatibleDC(NULL);
        detached = dc.Detach();
    }
    EXPECT_EQ(::GetObjectType(detached), (DWORD)OBJ_MEMDC);
    ::DeleteDC(detached);
}

TEST(GdiDC, SelectObjectGivesBackThePreviousObject) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    HGDIOBJ original = ::GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP);
    HGDIOBJ ours;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 4, 4));
        ours = bitmap.m_hObject;
        CBitmap* old = dc.SelectObject(&bitmap);
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(old->m_hObject, original);
        EXPECT_EQ(::GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP), ours);
        CBitmap* back = dc.SelectObject(old);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->m_hObject, ours);
        EXPECT_EQ(::GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP), original);
    }
    // Deselected in time, so the destructor could delete it.
    EXPECT_FALSE(Alive(ours));

    CFont font;
    font.Attach(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Segoe UI"));
    CFont* oldFont = dc.SelectObject(&font);
    EXPECT_EQ(::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), font.m_hObject);
    CGdiObject* stock = CGdiObject::FromHandle(dc.SelectObject(::GetStockObject(NULL_BRUSH)));
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(::GetCurrentObject(dc.GetSafeHdc(), OBJ_BRUSH), ::GetStockObject(NULL_BRUSH));
    dc.SelectObject(stock);
    EXPECT_EQ(::GetCurrentObject(dc.GetSafeHdc(), OBJ_BRUSH), stock->m_hObject);
    dc.SelectObject(oldFont);
    EXPECT_NE(::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), font.m_hObject);
}

TEST(GdiDraw, Draw3dRectFramesJustInsideTheRectangle) {
    Canvas canvas(10, 8);
    CDC& dc = canvas.dc();
    const COLORREF white = RGB(255, 255, 255), light = RGB(255, 0, 0), dark = RGB(0, 0, 255);
    dc.SetBkColor(RGB(1, 2, 3));
    const RECT frame = {1, 1, 9, 7};
    dc.Draw3dRect(&frame, light, dark);
    EXPECT_EQ(::GetBkColor(dc.GetSafeHdc()), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(1, 1), light);
    EXPECT_EQ(canvas.At(7, 1), light);   // top edge ends before the right edge
    EXPECT_EQ(canvas.At(1, 5), light);   // left edge ends before the bottom edge
    EXPECT_EQ(canvas.At(8, 1), dark);    // the right edge takes the top-right corner
    EXPECT_EQ(canvas.At(1, 6), dark);    // the bottom edge takes the bottom-left corner
    EXPECT_EQ(canvas.At(8, 6), dark);
    EXPECT_EQ(canvas.At(4, 3), white);   // inside untouched
    EXPECT_EQ(canvas.At(0, 0), white);   // outside untouched
    EXPECT_EQ(canvas.At(9, 7), white);
}

TEST(GdiDraw, FillAndBlit) {
    Canvas source(6, 6), target(6, 6);
    const RECT middle = {2, 2, 4, 4}, corner = {0, 0, 1, 1};
    source.dc().FillSolidRect(&middle, RGB(10, 200, 30));
    CBrush brush;
    brush.CreateSolidBrush(RGB(0, 0, 0));
    target.dc().FillRect(&corner, &brush);
    EXPECT_TRUE(target.dc().BitBlt(1, 1, 4, 4, &source.dc(), 1, 1, SRCCOPY));
    EXPECT_EQ(target.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(target.At(2, 2), RGB(10, 200, 30));
    EXPECT_EQ(target.At(3, 3), RGB(10, 200, 30));
    EXPECT_EQ(target.At(4, 4), RGB(255, 255, 255));

    RECT calc = {0, 0, 1000, 100};
    EXPECT_GT(target.dc().DrawText("Jouer", 5, &calc, DT_CALCRECT | DT_SINGLELINE), 0);
    SIZE extent = {0, 0};
    ::GetTextExtentPoint32A(target.dc().GetSafeHdc(), "Jouer", 5, &extent);
    EXPECT_GT(calc.right - calc.left, 0);
    EXPECT_EQ(extent.cx, calc.right - calc.left);
}

// Creating and destroying the wrappers many times must not leave GDI objects behind.
TEST(GdiLeaks, RepeatedUseLeavesNoObjects) {
    auto round = [](std::vector<HGDIOBJ>& made, std::vector<HDC>& dcs) {
        CDC screen;
        screen.Attach(::GetDC(NULL));
        CDC mem;
        mem.CreateCompatibleDC(&screen);
        dcs.push_back(mem.m_hDC);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&screen, 16, 16);
        CFont font;
        font.Attach(::CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Segoe UI"));
        made.push_back(font.m_hObject);
        font.Attach(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));  // replaces the first
        CBrush brush;
        brush.CreateSolidBrush(RGB(3, 4, 5));
        made.insert(made.end(), {bitmap.m_hObject, font.m_hObject, brush.m_hObject});
        CBitmap* oldBitmap = mem.SelectObject(&bitmap);
        CFont* oldFont = mem.SelectObject(&font);
        CGdiObject* oldBrush = mem.SelectObject(static_cast<CGdiObject*>(&brush));
        RECT box = {0, 0, 10, 10};
        mem.FillRect(&box, &brush);
        mem.DrawText("abc", 3, &box, DT_SINGLELINE);
        mem.SelectObject(oldBrush);
        mem.SelectObject(oldFont);
        mem.SelectObject(oldBitmap);
        ::ReleaseDC(NULL, screen.Detach());
    };

    std::vector<HGDIOBJ> made;
    std::vector<HDC> dcs;
    round(made, dcs);  // first use may allocate lasting things (font cache...)
    for (HGDIOBJ h : made) EXPECT_FALSE(Alive(h));
    for (HDC h : dcs) EXPECT_EQ(::GetObjectType(h), 0u);

    const DWORD before = testsupport::GdiObjectCount();
    for (int i = 0; i < 300; ++i) {
        made.clear();
        dcs.clear();
        round(made, dcs);
        for (HGDIOBJ h : made) ASSERT_FALSE(Alive(h)) << "round " << i;
        for (HDC h : dcs) ASSERT_EQ(::GetObjectType(h), 0u) << "round " << i;
    }
    const DWORD after = testsupport::GdiObjectCount();
    ASSERT_NE(before, 0u);
    EXPECT_EQ(after, before);
}
