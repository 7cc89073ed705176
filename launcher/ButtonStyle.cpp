#include "launcher/ButtonStyle.h"
#include "res/resource.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kGold = RGB(240, 222, 160);
const COLORREF kPaleGold = RGB(255, 244, 200);

} // namespace

void StyleButton(CImageButton* pButton, const char* caption, CFont* pFont)
{
    pButton->LoadBitmapPair(IDB_BUTTON_HOT, kMagenta, IDB_BUTTON, kMagenta);
    pButton->SetImageAlign(ALIGN_IMAGE_BEHIND, FALSE);
    pButton->SetPressedShift(PRESSED_SHIFT_DIAGONAL, FALSE);
    pButton->SetColorSlot(COLOR_SLOT_TEXT_HOVER, kPaleGold, TRUE);
    pButton->SetColorSlot(COLOR_SLOT_TEXT_NORMAL, kGold, TRUE);
    pButton->SetParentBackgroundMode(TRUE);
    pButton->SetBorderVisible(FALSE, FALSE);
    pButton->SetCursorResource(IDC_BUTTON_CURSOR, TRUE);
    HFONT hFont = pFont ? (HFONT)pFont->GetSafeHandle() : NULL;
    pButton->SendMessage(WM_SETFONT, (WPARAM)hFont, TRUE);
    pButton->SetWindowText(caption);
}
