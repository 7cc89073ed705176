// CLabel: defaults, setters, font ownership, the reflected colour answer and flashing.
#include "WindowFixture.h"

#include <atomic>
#include <thread>
#include <vector>

TEST(LabelConstruction, UsesSystemColoursAndTheStockGuiFont) {
    TestLabel label;
    EXPECT_EQ(label.m_crTextColor, GetSysColor(COLOR_WINDOWTEXT));
    LOGBRUSH lb = {};
    ASSERT_NE(GetObjectA(label.m_hbrBackground, sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    ASSERT_NE(GetObjectA(label.m_hbrFlash, sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(label.m_hbrFlash, label.m_hbrBackground);

    LOGFONTA stock = {};
    ASSERT_NE(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock), 0);
    EXPECT_EQ(memcmp(&stock, &label.m_lfText, sizeof stock), 0);
    LOGFONTA made = {};
    ASSERT_NE(GetObjectA(label.m_fontText.GetSafeHandle(), sizeof made, &made), 0);
    EXPECT_STREQ(made.lfFaceName, stock.lfFaceName);
    EXPECT_EQ(made.lfHeight, stock.lfHeight);
    EXPECT_EQ(label.m_nFlashType, FLASH_NONE);
    EXPECT_EQ(label.m_bFlashOn, 0);
    EXPECT_TRUE(label.m_strSavedText.IsEmpty());
}

TEST(LabelConstruction, DestructionFreesFontAndBrushes) {
    HGDIOBJ font, background, flash;
    {
        TestLabel label;
        font = label.m_fontText.GetSafeHandle();
        background = label.m_hbrBackground;
        flash = label.m_hbrFlash;
        ASSERT_EQ(GetObjectType(font), (DWORD)OBJ_FONT);
    }
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(background), 0u);
    EXPECT_EQ(GetObjectType(flash), 0u);
}

using LabelTest = DialogTest;

TEST_F(LabelTest, SetBoldReplacesTheFontWithoutLeaking) {
    TestLabel& label = m_dlg->m_lblSpeed;
    const HGDIOBJ before = label.m_fontText.GetSafeHandle();

    EXPECT_EQ(&label.SetBold(TRUE), &label);
    const HGDIOBJ bold = label.m_fontText.GetSafeHandle();
    EXPECT_EQ(GetObjectType(before), 0u) << "the previous font was not deleted";
    LOGFONTA lf = {};
    ASSERT_NE(GetObjectA(label.m_fontText.GetSafeHandle(), sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);

    EXPECT_EQ(&label.SetBold(FALSE), &label);
    EXPECT_EQ(GetObjectType(bold), 0u);
    ASSERT_NE(GetObjectA(label.m_fontText.GetSafeHandle(), sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(label.m_lfText.lfWeight, FW_NORMAL);

    // Every replaced font is deleted, whichever weight it had.
    std::vector<HGDIOBJ> replaced;
    for (int i = 0; i < 20; ++i) {
        replaced.push_back(label.m_fontText.GetSafeHandle());
        label.SetBold(i % 2);
    }
    Settle();
    for (size_t i = 0; i < replaced.size(); ++i) {
        if (replaced[i] != label.m_fontText.GetSafeHandle()) {
            EXPECT_EQ(GetObjectType(replaced[i]), 0u) << "font " << i << " leaked";
        }
    }
    EXPECT_EQ(GetObjectType(label.m_fontText.GetSafeHandle()), (DWORD)OBJ_FONT);
}

// What the label shows right after SetBold is the bold label: the same as a full repaint gives.
TEST_F(LabelTest, SetBoldShowsTheNewWeightAtOnce) {
    TestLabel& label = m_dlg->m_lblSpeed;
    Flush(label);
    const Pixels normal = CaptureClient(label.GetSafeHwnd());

    label.SetBold(TRUE);
    EXPECT_FALSE(HasUpdate(label)) << "SetBold repaints at once";
    Settle();
    const Pixels shown = CaptureClient(label.GetSafeHwnd());
    label.InvalidateRect(NULL);
    label.UpdateWindow();
    Settle();
    const Pixels repainted = CaptureClient(label.GetSafeHwnd());
    EXPECT_TRUE(shown.data != normal.data) << "the label still shows its normal weight";
    EXPECT_TRUE(shown.data == repainted.data) << "the label shows the bold font only after a later repaint";
}

// Once drawn, the control holds the label's font; a hidden label gets no repaint that would hand
// it the new one, so replacing the font must do it.
TEST_F(LabelTest, ControlNeverKeepsAReplacedFont) {
    TestLabel& label = m_dlg->m_lblCount;
    ASSERT_EQ((HGDIOBJ)label.SendMessage(WM_GETFONT), label.m_fontText.GetSafeHandle());
    label.ShowWindow(SW_HIDE);
    label.SetBold(TRUE);
    Settle();
    const HGDIOBJ held = (HGDIOBJ)label.SendMessage(WM_GETFONT);
    EXPECT_EQ(GetObjectType(held), (DWORD)OBJ_FONT) << "the control holds a deleted font";
    EXPECT_EQ(held, label.m_fontText.GetSafeHandle());
}

TEST_F(LabelTest, SettersChainAndApply) {
    TestLabel& label = m_dlg->m_lblCount;
    EXPECT_EQ(&label.SetCaption("7 / 9").SetForeColor(RGB(1, 2, 3)), &label);
    CString text;
    label.GetWindowText(text);
    EXPECT_STREQ((LPCSTR)text, "7 / 9");
    EXPECT_EQ(label.m_crTextColor, RGB(1, 2, 3));
    EXPECT_FALSE(HasUpdate(label)) << "SetForeColor repaints at once";

    label.SetCaption("");
    EXPECT_EQ(GetWindowTextLengthA(label.GetSafeHwnd()), 0);
}

TEST_F(LabelTest, ColourAnswerForStaticsSetsFontColourAndTransparency) {
    TestLabel& label = m_dlg->m_lblVersion;
    CClientDC dc(&label);
    const HGDIOBJ fontBefore = GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT);
    const COLORREF textBefore = GetTextColor(dc.GetSafeHdc());
    SetBkMode(dc.GetSafeHdc(), OPAQUE);

    EXPECT_EQ(label.CtlColor(&dc, CTLCOLOR_BTN), label.m_hbrBackground);
    EXPECT_EQ(GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), fontBefore) << "other kinds leave the DC alone";
    EXPECT_EQ(GetTextColor(dc.GetSafeHdc()), textBefore);
    EXPECT_EQ(GetBkMode(dc.GetSafeHdc()), OPAQUE);

    EXPECT_EQ(label.CtlColor(&dc, CTLCOLOR_STATIC), label.m_hbrBackground);
    EXPECT_EQ(GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), label.m_fontText.GetSafeHandle());
    EXPECT_EQ(GetTextColor(dc.GetSafeHdc()), kVersionColour);
    EXPECT_EQ(GetBkMode(dc.GetSafeHdc()), TRANSPARENT);
    SelectObject(dc.GetSafeHdc(), fontBefore);

    // Through the parent: the framework's default reflects the request to the label.
    CClientDC dc2(&label);
    const HBRUSH hbr = (HBRUSH)m_dlg->SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc2.GetSafeHdc(),
                                                  (LPARAM)label.GetSafeHwnd());
    EXPECT_EQ(hbr, (HBRUSH)GetStockObject(NULL_BRUSH)) << "the dialog with its picture gives the null brush";
    EXPECT_EQ(GetCurrentObject(dc2.GetSafeHdc(), OBJ_FONT), label.m_fontText.GetSafeHandle());
    EXPECT_EQ(GetTextColor(dc2.GetSafeHdc()), kVersionColour);
    EXPECT_EQ(GetBkMode(dc2.GetSafeHdc()), TRANSPARENT);
}

TEST_F(LabelTest, BackgroundFlashAlternatesTheBrushes) {
    TestLabel& label = m_dlg->m_lblStatus;
    CClientDC dc(&label);
    label.m_nFlashType = FLASH_BACKGROUND;
    EXPECT_EQ(label.CtlColor(&dc, CTLCOLOR_STATIC), label.m_hbrFlash);
    label.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(label.m_bFlashOn, 1);
    EXPECT_FALSE(HasUpdate(label)) << "the tick repaints at once";
    EXPECT_EQ(label.CtlColor(&dc, CTLCOLOR_STATIC), label.m_hbrBackground);
    label.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(label.m_bFlashOn, 0);
    EXPECT_EQ(label.CtlColor(&dc, CTLCOLOR_EDIT), label.m_hbrFlash);
}

TEST_F(LabelTest, TextFlashHidesAndRestoresTheText) {
    TestLabel& label = m_dlg->m_lblStatus;
    label.m_nFlashType = FLASH_TEXT;
    label.m_strSavedText = "Saved";
    label.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(GetWindowTextLengthA(label.GetSafeHwnd()), 0);
    label.SendMessage(WM_TIMER, 1);
    CString text;
    label.GetWindowText(text);
    EXPECT_STREQ((LPCSTR)text, "Saved");

    // Without a flash type the tick only turns the phase.
    label.m_nFlashType = FLASH_NONE;
    label.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(label.m_bFlashOn, 1);
    label.GetWindowText(text);
    EXPECT_STREQ((LPCSTR)text, "Saved");
}

// The download worker sets texts and colours from its own thread while the UI thread runs its loop.
TEST_F(LabelTest, WorkerThreadSetsTextAndColourThroughTheWindow) {
    TestLabel& label = m_dlg->m_lblCount;
    const COLORREF colour = RGB(255, 40, 40);
    auto showFromWorker = [&](const char* caption) {
        std::atomic<bool> done(false);
        std::thread worker([&] {
            label.SetCaption(caption).SetForeColor(colour);
            done = true;
        });
        const bool finished = Pump([&] { return done.load(); });
        worker.join();
        return finished;
    };
    auto colouredPixels = [&] {
        Settle();
        const Pixels screen = CaptureClient(m_dlg->GetSafeHwnd());
        int coloured = 0;
        const RECT& r = CTestDialog::kCountRect;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                coloured += screen.At(x, y) == colour;
        return coloured;
    };
    ASSERT_TRUE(showFromWorker("5 / 9"));
    CString text;
    label.GetWindowText(text);
    EXPECT_STREQ((LPCSTR)text, "5 / 9");
    EXPECT_GT(colouredPixels(), 8) << "the label was repainted in the new colour";

    // The same colour again does not repaint, the new text does.
    ASSERT_TRUE(showFromWorker(""));
    EXPECT_EQ(colouredPixels(), 0) << "the old text stays on screen";
}
