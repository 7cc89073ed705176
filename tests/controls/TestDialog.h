// A dialog laid out and painted the way the launcher's main window is: background picture,
// four image buttons with the launcher's own style, four see-through labels.
#pragma once

#include "framework/framework.h"
#include "controls/BackgroundPicture.h"
#include "controls/ImageButton.h"
#include "controls/Label.h"
#include "launcher/ButtonStyle.h"
#include "test_resource.h"

// Opens the members to the tests.
class TestButton : public CImageButton {
public:
    using CImageButton::m_bGrayDisabledBitmap;
    using CImageButton::m_ptImageMargin;
    using CImageButton::m_ptPressShift;
    using CImageButton::m_bFlat;
    using CImageButton::m_bHover;
    using CImageButton::m_bParentBackground;
    using CImageButton::m_bPressed;
    using CImageButton::m_bDisabled;
    using CImageButton::m_bDefaultButton;
    using CImageButton::m_bCheckBox;
    using CImageButton::m_nAlign;
    using CImageButton::m_bBorder;
    using CImageButton::m_crSlots;
    using CImageButton::m_hButtonCursor;
    using CImageButton::m_tip;
    using CImageButton::m_dcParentCopy;
    using CImageButton::m_bmpParentCopy;
    using CImageButton::m_pOldParentBitmap;
    using CImageButton::m_nCheckState;
    using CImageButton::m_szLinkUrl;
    using CImageButton::m_icons;
    using CImageButton::m_bitmaps;
    using CImageButton::CalcImageRect;
};

class TestLabel : public CLabel {
public:
    using CLabel::m_crTextColor;
    using CLabel::m_hbrBackground;
    using CLabel::m_hbrFlash;
    using CLabel::m_lfText;
    using CLabel::m_fontText;
    using CLabel::m_strSavedText;
    using CLabel::m_bFlashOn;
    using CLabel::m_nFlashType;
    using CLabel::CtlColor;
};

// Colours the dialog gives its labels.
const COLORREF kStatusColour = RGB(255, 255, 255);
const COLORREF kVersionColour = RGB(240, 222, 160);
// Caption colours of the launcher look.
const COLORREF kCaptionHot = RGB(255, 244, 200);
const COLORREF kCaptionNormal = RGB(240, 222, 160);

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(BOOL bWithPicture = TRUE);

    enum { kButtons = 4 };
    static const RECT kButtonRects[kButtons];
    static const RECT kStatusRect, kSpeedRect, kCountRect, kVersionRect;

    BOOL m_bWithPicture;
    CBackgroundPicture m_picture;
    CFont m_font;
    TestButton m_btn[kButtons];
    TestLabel m_lblCount;
    TestLabel m_lblSpeed;
    TestLabel m_lblStatus;
    TestLabel m_lblVersion;
    int m_nClicks[kButtons];

    // Gives a message to the pre-translation of the control it is for, the way a modal loop does.
    BOOL PreTranslateForControls(MSG* pMsg);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnClicked1();
    afx_msg void OnClicked2();
    afx_msg void OnClicked3();
    afx_msg void OnClicked4();
    DECLARE_MESSAGE_MAP()
};
