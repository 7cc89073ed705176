// CImageButton: construction, setters with their results, no-change and repaint rules, the mask.
#include "WindowFixture.h"
#include "tests/support/GdiObjects.h"

namespace {

COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }
COLORREF Text() { return GetSysColor(COLOR_BTNTEXT); }

void ExpectNoImages(TestButton& b) {
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(b.m_bitmaps[i].hBitmap, (HBITMAP)NULL) << "record " << i;
        EXPECT_EQ(b.m_bitmaps[i].hMask, (HBITMAP)NULL) << "record " << i;
        EXPECT_EQ(b.m_bitmaps[i].dwWidth, 0u);
        EXPECT_EQ(b.m_bitmaps[i].dwHeight, 0u);
        EXPECT_EQ(b.m_bitmaps[i].crTransparent, 0u);
        EXPECT_EQ(b.m_icons[i].hIcon, (HICON)NULL);
    }
}

}  // namespace

TEST(ImageButtonConstruction, StartsWithTheDocumentedLook) {
    TestButton b;
    EXPECT_TRUE(b.m_bGrayDisabledBitmap);
    EXPECT_EQ(b.m_ptImageMargin.x, 3);
    EXPECT_EQ(b.m_ptImageMargin.y, 3);
    EXPECT_EQ(b.m_ptPressShift.x, 1);
    EXPECT_EQ(b.m_ptPressShift.y, 1);
    EXPECT_TRUE(b.m_bFlat);
    EXPECT_FALSE(b.m_bHover);
    EXPECT_FALSE(b.m_bParentBackground);
    EXPECT_FALSE(b.m_bDefaultButton);
    EXPECT_FALSE(b.m_bCheckBox);
    EXPECT_EQ(b.m_nAlign, ALIGN_IMAGE_LEFT);
    EXPECT_TRUE(b.m_bBorder);
    const COLORREF expected[6] = {Face(), Text(), Face(), Text(), Face(), Text()};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(b.m_crSlots[i], expected[i]) << "slot " << i;
    EXPECT_EQ(b.m_hButtonCursor, (HCURSOR)NULL);
    EXPECT_EQ(b.m_tip.GetSafeHwnd(), (HWND)NULL);
    EXPECT_EQ(b.m_dcParentCopy.GetSafeHdc(), (HDC)NULL);
    EXPECT_EQ(b.m_nCheckState, 0);
    EXPECT_STREQ(b.m_szLinkUrl, "");
    ExpectNoImages(b);
}

using ImageButtonSetters = DialogTest;

TEST_F(ImageButtonSetters, ImageAlignAcceptsZeroToThreeOnly) {
    TestButton& b = Button(1);
    ASSERT_EQ(b.m_nAlign, ALIGN_IMAGE_BEHIND);  // styled the launcher's way

    Flush(b);
    EXPECT_EQ(b.SetImageAlign(4, TRUE), (DWORD)BUTTON_BAD_ALIGN);
    EXPECT_EQ(b.m_nAlign, ALIGN_IMAGE_BEHIND);
    EXPECT_FALSE(HasUpdate(b)) << "a rejected value must not repaint";

    EXPECT_EQ(b.SetImageAlign(ALIGN_IMAGE_RIGHT, FALSE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_nAlign, ALIGN_IMAGE_RIGHT);
    EXPECT_FALSE(HasUpdate(b)) << "no repaint unless asked";

    EXPECT_EQ(b.SetImageAlign(ALIGN_IMAGE_BEHIND, TRUE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_nAlign, ALIGN_IMAGE_BEHIND);
    EXPECT_TRUE(HasUpdate(b));
}

TEST_F(ImageButtonSetters, PressedShiftKnowsTwoStyles) {
    TestButton& b = Button(0);
    Flush(b);
    EXPECT_EQ(b.SetPressedShift(2, TRUE), (DWORD)BUTTON_BAD_PRESSED_STYLE);
    EXPECT_EQ(b.m_ptPressShift.x, 1);
    EXPECT_EQ(b.m_ptPressShift.y, 1);
    EXPECT_FALSE(HasUpdate(b));

    EXPECT_EQ(b.SetPressedShift(PRESSED_SHIFT_DOWN, TRUE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_ptPressShift.x, 0);
    EXPECT_EQ(b.m_ptPressShift.y, 2);
    EXPECT_TRUE(HasUpdate(b));

    EXPECT_EQ(b.SetPressedShift(PRESSED_SHIFT_DIAGONAL, FALSE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_ptPressShift.x, 1);
    EXPECT_EQ(b.m_ptPressShift.y, 1);
}

TEST_F(ImageButtonSetters, ColorSlotsZeroToFiveAndResetToSystemColours) {
    TestButton& b = Button(2);
    ASSERT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_HOVER], kCaptionHot);
    ASSERT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_NORMAL], kCaptionNormal);
    COLORREF before[6];
    memcpy(before, b.m_crSlots, sizeof before);

    Flush(b);
    EXPECT_EQ(b.SetColorSlot(6, RGB(1, 2, 3), TRUE), (DWORD)BUTTON_BAD_SLOT);
    EXPECT_EQ(memcmp(before, b.m_crSlots, sizeof before), 0);
    EXPECT_FALSE(HasUpdate(b));

    EXPECT_EQ(b.SetColorSlot(COLOR_SLOT_TEXT_FOCUS, RGB(1, 2, 3), FALSE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_crSlots[COLOR_SLOT_TEXT_FOCUS], RGB(1, 2, 3));
    EXPECT_FALSE(HasUpdate(b));

    EXPECT_EQ(b.ResetColorSlots(TRUE), (DWORD)BUTTON_OK);
    const COLORREF expected[6] = {Face(), Text(), Face(), Text(), Face(), Text()};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(b.m_crSlots[i], expected[i]) << "slot " << i;
    EXPECT_TRUE(HasUpdate(b));
}

TEST_F(ImageButtonSetters, BorderSetterAlwaysSucceeds) {
    TestButton& b = Button(3);
    Flush(b);
    EXPECT_EQ(b.SetBorderVisible(TRUE, FALSE), (DWORD)BUTTON_OK);
    EXPECT_TRUE(b.m_bBorder);
    EXPECT_FALSE(HasUpdate(b));
    EXPECT_EQ(b.SetBorderVisible(FALSE, TRUE), (DWORD)BUTTON_OK);
    EXPECT_FALSE(b.m_bBorder);
    EXPECT_TRUE(HasUpdate(b));
}

TEST_F(ImageButtonSetters, CheckStateIgnoredOnAPushButton) {
    TestButton& b = Button(0);
    Flush(b);
    EXPECT_EQ(b.SetCheckState(1, TRUE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_nCheckState, 0);
    EXPECT_FALSE(HasUpdate(b));
    b.SendMessage(BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(b.m_nCheckState, 0);
    EXPECT_EQ(b.SendMessage(BM_GETCHECK, 0, 0), 0);
    EXPECT_FALSE(HasUpdate(b));
}

TEST_F(ImageButtonSetters, CheckBoxTogglesOnClickAndCheckMessages) {
    TestButton box;
    HWND hWnd = CreateWindowExA(0, "Button", "box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 100, 26,
                                m_dlg->GetSafeHwnd(), (HMENU)(UINT_PTR)2000, NULL, NULL);
    ASSERT_NE(hWnd, (HWND)NULL);
    ASSERT_TRUE(box.SubclassWindow(hWnd));
    EXPECT_TRUE(box.m_bCheckBox);
    EXPECT_EQ(box.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW);

    Flush(box);
    box.SendMessage(BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(box.m_nCheckState, 1);
    EXPECT_TRUE(HasUpdate(box));
    EXPECT_EQ(box.SendMessage(BM_GETCHECK, 0, 0), 1);

    box.SendMessage(BM_CLICK, 0, 0);  // the control notifies its parent, which reflects the click
    Settle();
    EXPECT_EQ(box.m_nCheckState, 0);
    EXPECT_EQ(::GetFocus(), hWnd) << "a click gives the button the focus";

    box.SendMessage(BM_CLICK, 0, 0);
    Settle();
    EXPECT_EQ(box.m_nCheckState, 1);
    EXPECT_EQ(box.SetCheckState(0, FALSE), (DWORD)BUTTON_OK);
    EXPECT_EQ(box.m_nCheckState, 0);
    box.DestroyWindow();
}

TEST_F(ImageButtonSetters, OnlyCheckBoxTypesCountAsCheckBoxes) {
    const struct {
        DWORD type;
        BOOL checkBox;
        BOOL defaultButton;
    } cases[] = {
        {BS_PUSHBUTTON, FALSE, FALSE},   {BS_DEFPUSHBUTTON, FALSE, TRUE}, {BS_CHECKBOX, TRUE, FALSE},
        {BS_AUTOCHECKBOX, TRUE, FALSE}, {BS_3STATE, TRUE, FALSE},        {BS_AUTO3STATE, TRUE, FALSE},
        {BS_OWNERDRAW, FALSE, FALSE},   {BS_GROUPBOX, FALSE, FALSE},     {BS_RADIOBUTTON, FALSE, FALSE},
        {BS_AUTORADIOBUTTON, FALSE, FALSE},
    };
    for (const auto& c : cases) {
        TestButton b;
        HWND hWnd = CreateWindowExA(0, "Button", "x", WS_CHILD | c.type, 0, 0, 50, 20, m_dlg->GetSafeHwnd(),
                                    (HMENU)(UINT_PTR)2001, NULL, NULL);
        ASSERT_TRUE(b.SubclassWindow(hWnd));
        EXPECT_EQ(b.m_bCheckBox, c.checkBox) << "type " << c.type;
        EXPECT_EQ(b.m_bDefaultButton, c.defaultButton) << "type " << c.type;
        EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW) << "type " << c.type;
        b.DestroyWindow();
    }
}

TEST_F(ImageButtonSetters, LoadBitmapPairFromResources) {
    TestButton& b = Button(0);
    // Launcher look: both faces 100 x 26 with their masks.
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(b.m_bitmaps[i].hBitmap, (HBITMAP)NULL);
        EXPECT_NE(b.m_bitmaps[i].hMask, (HBITMAP)NULL);
        EXPECT_EQ(b.m_bitmaps[i].dwWidth, 100u);
        EXPECT_EQ(b.m_bitmaps[i].dwHeight, 26u);
        EXPECT_EQ(b.m_bitmaps[i].crTransparent, RGB(255, 0, 255));
    }
    const HBITMAP hOldHot = b.m_bitmaps[0].hBitmap;

    // A missing second bitmap leaves the hot face alone; the faces held before are freed.
    EXPECT_EQ(b.LoadBitmapPair(IDB_TEST_FACE_HOT, RGB(255, 0, 255), 999, RGB(255, 0, 255)), (DWORD)BUTTON_OK);
    EXPECT_EQ(GetObjectType(hOldHot), 0u) << "the old face was not deleted";
    EXPECT_NE(b.m_bitmaps[0].hBitmap, (HBITMAP)NULL);
    EXPECT_EQ(b.m_bitmaps[1].hBitmap, (HBITMAP)NULL);

    // A missing first bitmap is no failure: the button is left without images.
    Flush(b);
    EXPECT_EQ(b.LoadBitmapPair(999, RGB(255, 0, 255), IDB_TEST_FACE, RGB(255, 0, 255)), (DWORD)BUTTON_OK);
    ExpectNoImages(b);
    EXPECT_TRUE(HasUpdate(b));

    // The normal face, loaded but not taken, is freed: repeated loads hold no more GDI objects.
    const DWORD before = GdiObjectCount();
    ASSERT_NE(before, 0u);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(b.LoadBitmapPair(999, RGB(255, 0, 255), IDB_TEST_FACE, RGB(255, 0, 255)), (DWORD)BUTTON_OK);
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(ImageButtonSetters, SetBitmapPairRefusesWhatIsNoBitmap) {
    TestButton& b = Button(1);
    HBRUSH hBrush = CreateSolidBrush(RGB(1, 2, 3));
    Flush(b);
    EXPECT_EQ(b.SetBitmapPair((HBITMAP)hBrush, RGB(255, 0, 255), NULL, 0), (DWORD)BUTTON_BAD_RESOURCE);
    ExpectNoImages(b);
    EXPECT_FALSE(HasUpdate(b)) << "a failure does not repaint";

    // A bad second handle releases the good first one too.
    const COLORREF px[4] = {RGB(255, 0, 255), RGB(10, 20, 30), RGB(10, 20, 30), RGB(10, 20, 30)};
    HBITMAP hGood = MakeBitmap(2, 2, px);
    HPEN hPen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(b.SetBitmapPair(hGood, RGB(255, 0, 255), (HBITMAP)hPen, 0), (DWORD)BUTTON_BAD_RESOURCE);
    ExpectNoImages(b);
    EXPECT_EQ(GetObjectType(hGood), 0u) << "the button owned the handle and must have freed it";
    DeleteObject(hPen);
}

TEST_F(ImageButtonSetters, SetBitmapPairWithoutHotImageLeavesNoneAndKeepsTheOther) {
    TestButton& b = Button(2);
    const COLORREF px[1] = {RGB(10, 20, 30)};
    HBITMAP hNormal = MakeBitmap(1, 1, px);
    Flush(b);
    EXPECT_EQ(b.SetBitmapPair(NULL, 0, hNormal, 0), (DWORD)BUTTON_OK);
    ExpectNoImages(b);
    EXPECT_TRUE(HasUpdate(b));
    EXPECT_EQ(GetObjectType(hNormal), (DWORD)OBJ_BITMAP) << "the normal image stays the caller's";
    DeleteObject(hNormal);
}

TEST_F(ImageButtonSetters, MaskMarksTheTransparentColourAndBlackensIt) {
    TestButton& b = Button(3);
    const COLORREF m = RGB(255, 0, 255);
    const COLORREF px[6] = {m, RGB(200, 10, 10), m, RGB(255, 0, 254), RGB(0, 0, 0), RGB(255, 255, 255)};
    HBITMAP hHot = MakeBitmap(3, 2, px);
    ASSERT_EQ(b.SetBitmapPair(hHot, m, NULL, 0), (DWORD)BUTTON_OK);
    const BUTTON_BITMAP& rec = b.m_bitmaps[0];
    EXPECT_EQ(rec.hBitmap, hHot);
    EXPECT_EQ(rec.dwWidth, 3u);
    EXPECT_EQ(rec.dwHeight, 2u);
    BITMAP bm = {};
    ASSERT_NE(GetObjectA(rec.hMask, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmBitsPixel, 1) << "the mask is monochrome";

    const Pixels mask = ReadBitmap(rec.hMask);
    const Pixels image = ReadBitmap(rec.hBitmap);
    ASSERT_EQ(mask.width, 3);
    for (int i = 0; i < 6; ++i) {
        const int x = i % 3, y = i / 3;
        const bool seeThrough = px[i] == m;
        EXPECT_EQ(mask.At(x, y), seeThrough ? RGB(255, 255, 255) : RGB(0, 0, 0)) << "mask pixel " << i;
        EXPECT_EQ(image.At(x, y), seeThrough ? RGB(0, 0, 0) : px[i]) << "image pixel " << i;
    }
}

TEST_F(ImageButtonSetters, CursorResource) {
    TestButton& b = Button(0);
    ASSERT_NE(b.m_hButtonCursor, (HCURSOR)NULL);  // styled with the test cursor

    Flush(b);
    EXPECT_EQ(b.SetCursorResource(0, TRUE), (DWORD)BUTTON_OK);
    EXPECT_EQ(b.m_hButtonCursor, (HCURSOR)NULL);
    EXPECT_FALSE(HasUpdate(b)) << "removing the cursor does not repaint";

    EXPECT_EQ(b.SetCursorResource(998, TRUE), (DWORD)BUTTON_BAD_RESOURCE);
    EXPECT_EQ(b.m_hButtonCursor, (HCURSOR)NULL);
    EXPECT_TRUE(HasUpdate(b)) << "asked to repaint, also when the load failed";

    Flush(b);
    EXPECT_EQ(b.SetCursorResource(IDC_TEST_CURSOR, FALSE), (DWORD)BUTTON_OK);
    EXPECT_NE(b.m_hButtonCursor, (HCURSOR)NULL);
    EXPECT_FALSE(HasUpdate(b));
}

TEST(ImageButtonLinkUrl, CopiesClearsAndCutsWithinItsField) {
    TestButton b;
    EXPECT_EQ(b.SetLinkUrl("https://example.test/"), (DWORD)BUTTON_OK);
    EXPECT_STREQ(b.m_szLinkUrl, "https://example.test/");
    EXPECT_EQ(b.SetLinkUrl(NULL), (DWORD)BUTTON_OK);
    EXPECT_STREQ(b.m_szLinkUrl, "");
    const std::string longUrl(400, 'u');
    EXPECT_EQ(b.SetLinkUrl(longUrl.c_str()), (DWORD)BUTTON_OK);
    EXPECT_EQ(strlen(b.m_szLinkUrl), 259u);
}

TEST_F(ImageButtonSetters, ImagePlacementByAlignment) {
    TestButton& b = Button(0);  // 100 x 26
    const RECT item = {0, 0, 100, 26};
    const struct {
        BYTE align;
        BOOL caption;
        BOOL pressed;
        RECT image;    // left, top only are placed
        RECT caption_; // the caption rectangle afterwards
    } cases[] = {
        {ALIGN_IMAGE_LEFT, TRUE, FALSE, {3, 5, 100, 26}, {3 + 16, 0, 100, 26}},
        {ALIGN_IMAGE_LEFT, FALSE, FALSE, {42, 5, 100, 26}, {0, 0, 100, 26}},
        {ALIGN_IMAGE_ABOVE, TRUE, FALSE, {42, 3, 100, 26}, {0, 16, 100, 26}},
        {ALIGN_IMAGE_ABOVE, FALSE, FALSE, {42, 5, 100, 26}, {0, 0, 100, 26}},
        {ALIGN_IMAGE_RIGHT, TRUE, FALSE, {100 - 16 - 3, 5, 100, 26}, {3, 0, 100 - 19, 26}},
        {ALIGN_IMAGE_RIGHT, FALSE, FALSE, {42, 0, 100, 26}, {0, 0, 100, 26}},
        {ALIGN_IMAGE_BEHIND, TRUE, FALSE, {0, 0, 100, 26}, {0, 0, 100, 26}},
        {ALIGN_IMAGE_BEHIND, TRUE, TRUE, {1, 1, 101, 27}, {0, 0, 100, 26}},
        {ALIGN_IMAGE_LEFT, FALSE, TRUE, {43, 6, 101, 27}, {0, 0, 100, 26}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(b.SetImageAlign(c.align, FALSE), (DWORD)BUTTON_OK);
        RECT caption = item;
        RECT image = {};
        b.CalcImageRect(c.caption, &item, &caption, c.pressed, 16, 16, &image);
        const std::string what = "align " + std::to_string(c.align) + (c.caption ? " caption" : "") +
                                 (c.pressed ? " pressed" : "");
        EXPECT_EQ(image.left, c.image.left) << what;
        EXPECT_EQ(image.top, c.image.top) << what;
        EXPECT_EQ(image.right, c.image.right) << what;
        EXPECT_EQ(image.bottom, c.image.bottom) << what;
        EXPECT_EQ(caption.left, c.caption_.left) << what;
        EXPECT_EQ(caption.top, c.caption_.top) << what;
        EXPECT_EQ(caption.right, c.caption_.right) << what;
        EXPECT_EQ(caption.bottom, c.caption_.bottom) << what;
    }
    // Larger than the button: negative offsets halved toward zero (-5 -> -2).
    ASSERT_EQ(b.SetImageAlign(ALIGN_IMAGE_LEFT, FALSE), (DWORD)BUTTON_OK);
    RECT caption = item, image = {};
    b.CalcImageRect(FALSE, &item, &caption, FALSE, 105, 31, &image);
    EXPECT_EQ(image.left, -2);
    EXPECT_EQ(image.top, -2);
}

// The object goes while its window is still there, as the main window's members do.
TEST_F(ImageButtonSetters, DestructionFreesEveryHandleTheButtonHolds) {
    HGDIOBJ images[4] = {};
    HCURSOR hCursor = NULL;
    HWND hTip = NULL, hButton = NULL;
    HDC hCopyDC = NULL;
    HGDIOBJ hCopyBitmap = NULL;
    {
        std::unique_ptr<TestButton> b(new TestButton);
        hButton = CreateWindowExA(0, "Button", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100, 26,
                                  m_dlg->GetSafeHwnd(), (HMENU)(UINT_PTR)2004, NULL, NULL);
        ASSERT_TRUE(b->SubclassWindow(hButton));
        StyleButton(b.get(), "Gone", &m_dlg->m_font);
        b->UpdateWindow();
        MSG msg = {};
        msg.hwnd = hButton;
        msg.message = WM_MOUSEMOVE;
        b->PreTranslateMessage(&msg);

        for (int i = 0; i < 2; ++i) {
            images[2 * i] = b->m_bitmaps[i].hBitmap;
            images[2 * i + 1] = b->m_bitmaps[i].hMask;
        }
        hCursor = b->m_hButtonCursor;
        hTip = b->m_tip.GetSafeHwnd();
        hCopyDC = b->m_dcParentCopy.GetSafeHdc();
        hCopyBitmap = b->m_bmpParentCopy.GetSafeHandle();
        for (HGDIOBJ h : images)
            ASSERT_EQ(GetObjectType(h), (DWORD)OBJ_BITMAP);
        ASSERT_NE(hCursor, (HCURSOR)NULL);
        ASSERT_TRUE(IsWindow(hTip));
        ASSERT_NE(hCopyDC, (HDC)NULL) << "drawn once, so the copy is held";
        ASSERT_EQ(GetObjectType(hCopyBitmap), (DWORD)OBJ_BITMAP);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GetObjectType(images[i]), 0u) << "image or mask " << i;
    EXPECT_EQ(GetObjectType(hCopyDC), 0u) << "the copy DC";
    EXPECT_EQ(GetObjectType(hCopyBitmap), 0u) << "the copy bitmap";
    ICONINFO info = {};
    EXPECT_FALSE(GetIconInfo(hCursor, &info)) << "the cursor";
    EXPECT_FALSE(IsWindow(hTip)) << "the tooltip";
    EXPECT_FALSE(IsWindow(hButton));
}
