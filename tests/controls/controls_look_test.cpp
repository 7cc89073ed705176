// What the test dialog shows on the screen: see-through labels, image buttons over the picture
// in their normal, hot, pressed and disabled looks. Also writes screenshots into the build folder.
#include "WindowFixture.h"
#include "tests/support/TestPaths.h"

#include <algorithm>

namespace {

// The test faces (see make_test_art.py).
const COLORREF kFaceNormal = RGB(40, 60, 140);
const COLORREF kFaceHot = RGB(90, 150, 235);
const COLORREF kMarker = RGB(0, 255, 0);
const COLORREF kMagenta = RGB(255, 0, 255);
const int kCorner = 4;

bool Within(int value, int a, int b, int tolerance) {
    return value >= std::min(a, b) - tolerance && value <= std::max(a, b) + tolerance;
}

// A pixel that lies between two colours, as the edges of smoothed letters do.
bool IsBlend(COLORREF p, COLORREF a, COLORREF b) {
    return Within(GetRValue(p), GetRValue(a), GetRValue(b), 2) && Within(GetGValue(p), GetGValue(a), GetGValue(b), 2) &&
           Within(GetBValue(p), GetBValue(a), GetBValue(b), 2);
}

bool IsFaceCorner(int x, int y) {
    const int xs[2] = {x, 99 - x};
    const int ys[2] = {y, 25 - y};
    for (int cx : xs)
        for (int cy : ys)
            if (cx + cy < kCorner)
                return true;
    return false;
}

bool IsMarker(int x, int y) {
    return x >= 20 && x <= 21 && y >= 6 && y <= 7;
}

// Bounding box, in button coordinates, of the pixels of a button that are not its face.
RECT CaptionInk(const Pixels& screen, const RECT& button, COLORREF face, POINT shift = {0, 0}) {
    RECT box = {1000, 1000, -1, -1};
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 100; ++x) {
            const int fx = x - shift.x, fy = y - shift.y;  // position on the face
            if (fx < 0 || fy < 0 || IsFaceCorner(fx, fy) || IsMarker(fx, fy))
                continue;
            if (screen.At(button.left + x, button.top + y) == face)
                continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
}

void SaveScreenshot(const Pixels& screen, const char* name) {
    const std::string path = BuildPath(std::string("screenshots/") + name);
    EXPECT_TRUE(WritePng(screen, path)) << path;
}

class ControlsLook : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_NE(m_dlg->m_picture.GetBitmap(), (HBITMAP)NULL);
        m_picture = ReadBitmap(m_dlg->m_picture.GetBitmap());
        ASSERT_EQ(m_picture.width, 480);
    }

    Pixels Capture() {
        Settle();
        Pixels screen = CaptureClient(m_dlg->GetSafeHwnd());
        EXPECT_EQ(screen.width, 480);
        EXPECT_EQ(screen.height, 600);
        return screen;
    }

    // The face of an enabled button in the given colour and caption colour, over the picture.
    void ExpectFace(const Pixels& screen, int index, COLORREF face, COLORREF caption, COLORREF otherCaption) {
        const RECT& r = CTestDialog::kButtonRects[index];
        SCOPED_TRACE("button " + std::to_string(index));
        const POINT corners[4] = {{0, 0}, {99, 0}, {0, 25}, {99, 25}};
        for (const POINT& c : corners)
            EXPECT_EQ(screen.At(r.left + c.x, r.top + c.y), m_picture.At(r.left + c.x, r.top + c.y))
                << "the magenta corner must show the picture at " << c.x << "," << c.y;
        EXPECT_EQ(screen.At(r.left + 2, r.top + 1), m_picture.At(r.left + 2, r.top + 1));
        EXPECT_EQ(screen.At(r.left + 4, r.top), face) << "first face pixel after the corner";
        EXPECT_EQ(screen.At(r.left + 5, r.top + 3), face);
        EXPECT_EQ(screen.At(r.left + 94, r.top + 22), face);
        EXPECT_EQ(screen.At(r.left + 20, r.top + 6), kMarker);
        EXPECT_EQ(screen.At(r.left + 21, r.top + 7), kMarker);
        const RECT inner = {r.left, r.top, r.right, r.bottom};
        EXPECT_GT(CountColor(screen, inner, caption), 10) << "caption colour";
        EXPECT_EQ(CountColor(screen, inner, otherCaption), 0) << "the other state's caption colour";
    }

    // Size of a caption in the buttons' font, as DrawText measures it.
    SIZE CaptionSize(const char* text) {
        CClientDC dc(&Button(0));
        CFont* pOld = dc.SelectObject(&m_dlg->m_font);
        RECT rc = {0, 0, 100, 26};
        dc.DrawText(text, -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        dc.SelectObject(pOld);
        SIZE size = {rc.right - rc.left, rc.bottom - rc.top};
        return size;
    }

    void HoverOver(TestButton& b) {
        MovePointer(CentreOnScreen(b.GetSafeHwnd()));
        ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    }

    Pixels m_picture;
};

}  // namespace

TEST_F(ControlsLook, ButtonsShowTheNormalFaceOverThePictureWithCentredCaptions) {
    const Pixels screen = Capture();
    SaveScreenshot(screen, "controls-normal.png");
    static const char* const captions[4] = {"PLAY", "SIGN UP", "WEBSITE", "QUIT"};
    for (int i = 0; i < 4; ++i) {
        ExpectFace(screen, i, kFaceNormal, kCaptionNormal, kCaptionHot);
        const RECT ink = CaptionInk(screen, CTestDialog::kButtonRects[i], kFaceNormal);
        const SIZE text = CaptionSize(captions[i]);
        SCOPED_TRACE(captions[i]);
        ASSERT_LT(ink.left, ink.right) << "no caption drawn";
        // Centred: equal space left and right of the letters, and the letters inside the
        // text box that DrawText centres in the button.
        EXPECT_LE(std::abs((ink.left + ink.right) - 100), 2) << ink.left << ".." << ink.right;
        const int boxLeft = (100 - text.cx) / 2, boxTop = (26 - text.cy) / 2;
        EXPECT_GE(ink.left, boxLeft);
        EXPECT_LE(ink.right, boxLeft + text.cx);
        EXPECT_GE(ink.top, boxTop);
        EXPECT_LE(ink.bottom, boxTop + text.cy);
    }
}

TEST_F(ControlsLook, HoverShowsTheHotFace) {
    HoverOver(Button(0));
    const Pixels screen = Capture();
    SaveScreenshot(screen, "controls-hover.png");
    ExpectFace(screen, 0, kFaceHot, kCaptionHot, kCaptionNormal);
    for (int i = 1; i < 4; ++i)
        ExpectFace(screen, i, kFaceNormal, kCaptionNormal, kCaptionHot);
}

TEST_F(ControlsLook, PressedLookMovesFaceAndCaptionByOnePixel) {
    TestButton& b = Button(1);
    const RECT& r = CTestDialog::kButtonRects[1];
    HoverOver(b);
    const Pixels hot = Capture();
    const RECT hotInk = CaptionInk(hot, r, kFaceHot);

    PressLeft();
    ASSERT_TRUE(Pump([&] { return (b.SendMessage(BM_GETSTATE) & BST_PUSHED) != 0; }));
    const Pixels pressed = Capture();
    EXPECT_EQ(pressed.At(r.left + 21, r.top + 7), kMarker);
    EXPECT_EQ(pressed.At(r.left + 22, r.top + 8), kMarker);
    EXPECT_EQ(pressed.At(r.left + 20, r.top + 6), kFaceHot) << "the marker moved away from here";
    // The first column and row show the ground, the face's last ones are clipped.
    for (int y = 0; y < 26; y += 5)
        EXPECT_EQ(pressed.At(r.left, r.top + y), m_picture.At(r.left, r.top + y)) << "row " << y;
    for (int x = 0; x < 100; x += 9)
        EXPECT_EQ(pressed.At(r.left + x, r.top), m_picture.At(r.left + x, r.top)) << "column " << x;
    EXPECT_EQ(pressed.At(r.left + 99, r.top + 13), kFaceHot);
    const RECT pressedInk = CaptionInk(pressed, r, kFaceHot, {1, 1});
    EXPECT_EQ(pressedInk.left, hotInk.left + 1);
    EXPECT_EQ(pressedInk.top, hotInk.top + 1);
    EXPECT_EQ(pressedInk.right, hotInk.right + 1);
    EXPECT_EQ(pressedInk.bottom, hotInk.bottom + 1);

    ReleaseLeft();
    ASSERT_TRUE(Pump([&] { return m_dlg->m_nClicks[1] == 1; }));
    const Pixels released = Capture();
    EXPECT_EQ(released.At(r.left + 20, r.top + 6), kMarker);
}

TEST_F(ControlsLook, DisabledButtonIsEmbossed) {
    const RECT& r = CTestDialog::kButtonRects[2];
    Button(2).EnableWindow(FALSE);
    const Pixels screen = Capture();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(CountColor(screen, r, kFaceNormal), 0);
    EXPECT_EQ(CountColor(screen, r, kFaceHot), 0);
    EXPECT_EQ(CountColor(screen, r, kMagenta), 0);
    EXPECT_EQ(CountColor(screen, r, kMarker), 0);
    EXPECT_GT(CountColor(screen, r, shadow), 100 * 26 / 2) << "the face is drawn in the shadow colour";
    EXPECT_GT(CountColor(screen, r, light), 20) << "with highlights";
    EXPECT_EQ(screen.At(r.left, r.top), m_picture.At(r.left, r.top)) << "see-through corners stay see-through";
    EXPECT_EQ(screen.At(r.right - 1, r.top), m_picture.At(r.right - 1, r.top));
    // The neighbours keep their look.
    ExpectFace(screen, 1, kFaceNormal, kCaptionNormal, kCaptionHot);
}

TEST_F(ControlsLook, LabelsPrintTheirTextOnThePictureWithoutABox) {
    const Pixels screen = Capture();
    const struct {
        const char* name;
        RECT rect;
        COLORREF colour;
    } labels[] = {
        {"status", CTestDialog::kStatusRect, kStatusColour},
        {"speed", CTestDialog::kSpeedRect, RGB(255, 255, 255)},
        {"count", CTestDialog::kCountRect, RGB(255, 255, 255)},
        {"version", CTestDialog::kVersionRect, kVersionColour},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.name);
        int picture = 0, text = 0, foreign = 0;
        for (int y = l.rect.top; y < l.rect.bottom; ++y)
            for (int x = l.rect.left; x < l.rect.right; ++x) {
                const COLORREF p = screen.At(x, y), under = m_picture.At(x, y);
                if (p == under)
                    ++picture;
                else if (p == l.colour)
                    ++text;
                else if (!IsBlend(p, under, l.colour))
                    ++foreign;
            }
        const int area = (l.rect.right - l.rect.left) * (l.rect.bottom - l.rect.top);
        EXPECT_EQ(foreign, 0) << "pixels that are neither picture nor text over it";
        EXPECT_GT(text, 8) << "text in the label's colour";
        EXPECT_GT(picture, area / 2) << "the picture under the label";
        // Top row: nothing but the picture piece from exactly this place.
        for (int x = l.rect.left; x < l.rect.right; ++x)
            ASSERT_EQ(screen.At(x, l.rect.top), m_picture.At(x, l.rect.top)) << "x " << x;
    }
}

// Width of the letters of a text drawn in a font, measured on the pixels.
int InkWidth(const char* text, CFont* pFont) {
    CDC dc;
    dc.CreateCompatibleDC(NULL);
    CBitmap bmp;
    CClientDC screen(NULL);
    bmp.CreateCompatibleBitmap(&screen, 400, 40);
    CBitmap* pOldBmp = dc.SelectObject(&bmp);
    CFont* pOldFont = dc.SelectObject(pFont);
    dc.FillSolidRect(0, 0, 400, 40, RGB(0, 0, 0));
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    TextOutA(dc.GetSafeHdc(), 10, 5, text, (int)strlen(text));
    int left = 1000, right = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x)
            if (GetPixel(dc.GetSafeHdc(), x, y) != RGB(0, 0, 0)) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
    dc.SelectObject(pOldFont);
    dc.SelectObject(pOldBmp);
    return right - left;
}

TEST_F(ControlsLook, BoldLabelDrawsInItsOwnFont) {
    const Pixels screen = Capture();
    const RECT& r = CTestDialog::kStatusRect;
    int left = 10000, right = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (screen.At(x, y) != m_picture.At(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
    ASSERT_GT(right, left);
    const int bold = InkWidth("Checking the files", &m_dlg->m_lblStatus.m_fontText);
    const int dialogFont = InkWidth("Checking the files", CFont::FromHandle((HFONT)m_dlg->SendMessage(WM_GETFONT)));
    ASSERT_NE(bold, dialogFont) << "the two fonts cannot be told apart";
    EXPECT_EQ(right - left, bold) << "the dialog's font would give " << dialogFont;
}

TEST_F(ControlsLook, MovedButtonKeepsItsFirstCopyOfTheBackground) {
    TestButton& b = Button(3);
    const RECT& r = CTestDialog::kButtonRects[3];
    b.MoveWindow(r.left, r.top - 60, 100, 26, TRUE);
    const Pixels screen = Capture();
    EXPECT_EQ(screen.At(r.left, r.top - 60), m_picture.At(r.left, r.top)) << "the ground is the old copy";
    EXPECT_NE(screen.At(r.left, r.top - 60), m_picture.At(r.left, r.top - 60));
}

class NoPictureLook : public ControlsLook {
protected:
    BOOL WithPicture() const override { return FALSE; }
    void SetUp() override { DialogTest::SetUp(); }
};

TEST_F(NoPictureLook, LabelsKeepTheirOwnBackground) {
    const Pixels screen = Capture();
    const RECT& r = CTestDialog::kStatusRect;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int ground = 0, foreign = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF p = screen.At(x, y);
            if (p == face)
                ++ground;
            else if (!IsBlend(p, face, kStatusColour))
                ++foreign;
        }
    EXPECT_EQ(foreign, 0);
    EXPECT_GT(ground, 220 * 18 / 2) << "filled with the label's button-face brush";
}

// A button without images and without the parent's background: colour slots and the 3-D frame.
TEST_F(ControlsLook, PlainButtonFillsItsSlotsAndFramesWhenLit) {
    const RECT rc = {150, 100, 250, 130};
    TestButton b;
    HWND hWnd = CreateWindowExA(0, "Button", "Plain", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, rc.left,
                                rc.top, rc.right - rc.left, rc.bottom - rc.top, m_dlg->GetSafeHwnd(),
                                (HMENU)(UINT_PTR)2002, NULL, NULL);
    ASSERT_TRUE(b.SubclassWindow(hWnd));
    const COLORREF backHover = RGB(200, 30, 30), backNormal = RGB(30, 200, 30), backFocus = RGB(30, 30, 200);
    b.SetColorSlot(COLOR_SLOT_BACK_HOVER, backHover, FALSE);
    b.SetColorSlot(COLOR_SLOT_BACK_NORMAL, backNormal, FALSE);
    b.SetColorSlot(COLOR_SLOT_BACK_FOCUS, backFocus, TRUE);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);

    Pixels screen = Capture();
    EXPECT_EQ(screen.At(rc.left, rc.top), backNormal) << "no frame while neither hovered nor pressed";
    EXPECT_EQ(screen.At(rc.left + 5, rc.top + 5), backNormal);

    b.SetFocus();
    screen = Capture();
    EXPECT_EQ(screen.At(rc.left + 5, rc.top + 5), backFocus);

    MovePointer(CentreOnScreen(hWnd));
    ASSERT_TRUE(Pump([&] { return b.m_bHover != FALSE; }));
    screen = Capture();
    EXPECT_EQ(screen.At(rc.left + 5, rc.top + 5), backHover);
    EXPECT_EQ(screen.At(rc.left, rc.top + 10), light) << "raised: light left edge";
    EXPECT_EQ(screen.At(rc.left + 50, rc.top), light);
    EXPECT_EQ(screen.At(rc.right - 1, rc.top + 10), shadow) << "raised: dark right edge";
    EXPECT_EQ(screen.At(rc.left + 50, rc.bottom - 1), shadow);

    PressLeft();
    ASSERT_TRUE(Pump([&] { return (b.SendMessage(BM_GETSTATE) & BST_PUSHED) != 0; }));
    screen = Capture();
    EXPECT_EQ(screen.At(rc.left, rc.top + 10), shadow) << "sunken while pressed";
    EXPECT_EQ(screen.At(rc.right - 1, rc.top + 10), light);
    ReleaseLeft();
    Settle();

    b.SetBorderVisible(FALSE, TRUE);
    screen = Capture();
    EXPECT_EQ(screen.At(rc.left, rc.top + 10), backHover) << "no frame once the border is off";
    b.DestroyWindow();
}

// Which face DrawItem shows, where, and on which ground: a hidden button with solid faces,
// drawn into a bitmap of its size the way its parent's WM_DRAWITEM has it drawn.
namespace {

const COLORREF kSolidHot = RGB(200, 0, 0);
const COLORREF kSolidNormal = RGB(0, 0, 200);
const COLORREF kGroundNormal = RGB(0, 160, 0);
const COLORREF kGroundHot = RGB(160, 160, 0);
const COLORREF kGroundFocus = RGB(0, 160, 160);

HBITMAP SolidBitmap(int width, int height, COLORREF colour) {
    HDC hScreen = GetDC(NULL);
    HBITMAP hbm = CreateCompatibleBitmap(hScreen, width, height);
    HDC hdc = CreateCompatibleDC(hScreen);
    ReleaseDC(NULL, hScreen);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    const RECT rc = {0, 0, width, height};
    HBRUSH hBrush = CreateSolidBrush(colour);
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    return hbm;
}

Pixels DrawButton(TestButton& b, UINT itemState) {
    RECT rc;
    b.GetClientRect(&rc);
    HDC hScreen = GetDC(NULL);
    HBITMAP hbm = CreateCompatibleBitmap(hScreen, rc.right, rc.bottom);
    HDC hdc = CreateCompatibleDC(hScreen);
    ReleaseDC(NULL, hScreen);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = (UINT)GetDlgCtrlID(b.GetSafeHwnd());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = b.GetSafeHwnd();
    dis.hDC = hdc;
    dis.rcItem = rc;
    b.DrawItem(&dis);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    Pixels pixels = ReadBitmap(hbm);
    DeleteObject(hbm);
    return pixels;
}

class ImageButtonFace : public DialogTest {
protected:
    // 40 x 20, faces 16 x 8 at the top-left corner, the colour slots as grounds, no frame.
    void Make(DWORD type, BOOL bWithNormalFace = TRUE) {
        HWND hWnd = CreateWindowExA(0, "Button", "", WS_CHILD | type, 0, 0, 40, 20, m_dlg->GetSafeHwnd(),
                                    (HMENU)(UINT_PTR)2003, NULL, NULL);
        ASSERT_TRUE(m_b.SubclassWindow(hWnd));
        HBITMAP hNormal = bWithNormalFace ? SolidBitmap(16, 8, kSolidNormal) : NULL;
        ASSERT_EQ(m_b.SetBitmapPair(SolidBitmap(16, 8, kSolidHot), kMagenta, hNormal, kMagenta), (DWORD)BUTTON_OK);
        m_b.SetImageAlign(ALIGN_IMAGE_BEHIND, FALSE);
        m_b.SetBorderVisible(FALSE, FALSE);
        m_b.SetColorSlot(COLOR_SLOT_BACK_HOVER, kGroundHot, FALSE);
        m_b.SetColorSlot(COLOR_SLOT_BACK_NORMAL, kGroundNormal, FALSE);
        m_b.SetColorSlot(COLOR_SLOT_BACK_FOCUS, kGroundFocus, FALSE);
    }

    void TearDown() override {
        m_b.DestroyWindow();
        DialogTest::TearDown();
    }

    TestButton m_b;
};

}  // namespace

TEST_F(ImageButtonFace, PushButtonLightsWhenHoveredOrPressedAndMovesWhenPressed) {
    Make(BS_PUSHBUTTON);
    Pixels p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(0, 0), kSolidNormal);
    EXPECT_EQ(p.At(30, 15), kGroundNormal);

    p = DrawButton(m_b, ODS_FOCUS);
    EXPECT_EQ(p.At(0, 0), kSolidNormal);
    EXPECT_EQ(p.At(30, 15), kGroundFocus) << "focused, neither hovered nor pressed";

    m_b.m_bHover = TRUE;
    p = DrawButton(m_b, ODS_FOCUS);
    EXPECT_EQ(p.At(0, 0), kSolidHot);
    EXPECT_EQ(p.At(30, 15), kGroundHot);
    m_b.m_bHover = FALSE;

    p = DrawButton(m_b, ODS_SELECTED);
    EXPECT_EQ(p.At(0, 0), kGroundHot) << "the face moved one pixel right and down";
    EXPECT_EQ(p.At(1, 1), kSolidHot);
    EXPECT_EQ(p.At(16, 8), kSolidHot);
    EXPECT_EQ(p.At(17, 9), kGroundHot);
}

TEST_F(ImageButtonFace, CheckBoxShowsItsCheckAsPressedWithoutMovingAndKeepsItsFaceWhenHovered) {
    Make(BS_AUTOCHECKBOX);
    ASSERT_TRUE(m_b.m_bCheckBox);
    Pixels p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(0, 0), kSolidNormal);
    EXPECT_EQ(p.At(30, 15), kGroundNormal);

    m_b.m_bHover = TRUE;
    p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(0, 0), kSolidNormal) << "hovering a check box does not choose the hot face";
    EXPECT_EQ(p.At(30, 15), kGroundHot) << "but the hover colours";
    m_b.m_bHover = FALSE;

    m_b.SendMessage(BM_SETCHECK, BST_CHECKED);
    p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(0, 0), kSolidHot) << "checked is drawn pressed, and a check box never moves its face";
    EXPECT_EQ(p.At(15, 7), kSolidHot);
    EXPECT_EQ(p.At(16, 8), kGroundHot);

    m_b.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    p = DrawButton(m_b, ODS_SELECTED);
    EXPECT_EQ(p.At(0, 0), kSolidHot);
    EXPECT_EQ(p.At(16, 8), kGroundHot);
}

TEST_F(ImageButtonFace, WithoutANormalFaceTheHotOneShowsInEveryState) {
    Make(BS_PUSHBUTTON, FALSE);
    EXPECT_EQ(DrawButton(m_b, 0).At(0, 0), kSolidHot);
    EXPECT_EQ(DrawButton(m_b, ODS_FOCUS).At(0, 0), kSolidHot);
    EXPECT_EQ(DrawButton(m_b, ODS_SELECTED).At(1, 1), kSolidHot);
}

TEST_F(ImageButtonFace, EmptyWindowTextPlacesTheImageAsWithoutCaption) {
    Make(BS_PUSHBUTTON);
    m_b.SetImageAlign(ALIGN_IMAGE_LEFT, FALSE);
    // No caption: centred, (40 - 16) / 2 = 12 across and (20 - 8) / 2 = 6 down.
    Pixels p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(11, 6), kGroundNormal);
    EXPECT_EQ(p.At(12, 6), kSolidNormal);
    EXPECT_EQ(p.At(27, 13), kSolidNormal);
    EXPECT_EQ(p.At(28, 13), kGroundNormal);

    // A caption: the image goes to the margin at the left, the text to its right.
    m_b.SetWindowText("i");
    p = DrawButton(m_b, 0);
    EXPECT_EQ(p.At(2, 6), kGroundNormal);
    EXPECT_EQ(p.At(3, 6), kSolidNormal);
    EXPECT_EQ(p.At(18, 13), kSolidNormal);
    EXPECT_EQ(p.At(3, 5), kGroundNormal);
}
