#include "TestDialog.h"

const RECT CTestDialog::kButtonRects[kButtons] = {
    {25, 462, 125, 488}, {135, 462, 235, 488}, {245, 462, 345, 488}, {355, 462, 455, 488}};
const RECT CTestDialog::kStatusRect = {25, 496, 245, 514};
const RECT CTestDialog::kSpeedRect = {245, 496, 355, 514};
const RECT CTestDialog::kCountRect = {355, 496, 455, 514};
const RECT CTestDialog::kVersionRect = {25, 560, 455, 580};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_BTN_1, OnClicked1)
    ON_BN_CLICKED(IDC_BTN_2, OnClicked2)
    ON_BN_CLICKED(IDC_BTN_3, OnClicked3)
    ON_BN_CLICKED(IDC_BTN_4, OnClicked4)
END_MESSAGE_MAP()

CTestDialog::CTestDialog(BOOL bWithPicture)
    : CDialog(IDD_CONTROLS_TEST), m_bWithPicture(bWithPicture), m_nClicks{} {}

void CTestDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_BTN_1, m_btn[0]);
    DDX_Control(pDX, IDC_BTN_2, m_btn[1]);
    DDX_Control(pDX, IDC_BTN_3, m_btn[2]);
    DDX_Control(pDX, IDC_BTN_4, m_btn[3]);
    DDX_Control(pDX, IDC_LBL_COUNT, m_lblCount);
    DDX_Control(pDX, IDC_LBL_SPEED, m_lblSpeed);
    DDX_Control(pDX, IDC_LBL_STATUS, m_lblStatus);
    DDX_Control(pDX, IDC_LBL_VERSION, m_lblVersion);
}

BOOL CTestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_bWithPicture && m_picture.LoadFromResource(IDR_TEST_PICTURE)) {
        const CSize size = GetPictureSize(&m_picture);
        SetWindowPos(NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    } else {
        SetWindowPos(NULL, 0, 0, 480, 600, SWP_NOMOVE | SWP_NOZORDER);
    }

    m_font.Attach(CreateFontA(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FF_SWISS | DEFAULT_PITCH, "Segoe UI"));
    static const char* const captions[kButtons] = {"PLAY", "SIGN UP", "WEBSITE", "QUIT"};
    for (int i = 0; i < kButtons; ++i)
        StyleButton(&m_btn[i], captions[i], &m_font);

    m_lblStatus.SetForeColor(kStatusColour).SetBold(TRUE);
    m_lblSpeed.SetForeColor(RGB(255, 255, 255));
    m_lblCount.SetForeColor(RGB(255, 255, 255));
    m_lblVersion.SetForeColor(kVersionColour).SetBold(TRUE);
    m_lblStatus.SetCaption("Checking the files");
    m_lblSpeed.SetCaption("12.5Kb/sec");
    m_lblCount.SetCaption("3 / 7");

    for (int i = 0; i < kButtons; ++i) {
        const RECT& r = kButtonRects[i];
        m_btn[i].MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    const RECT* labelRects[] = {&kStatusRect, &kSpeedRect, &kCountRect, &kVersionRect};
    CLabel* labels[] = {&m_lblStatus, &m_lblSpeed, &m_lblCount, &m_lblVersion};
    for (int i = 0; i < 4; ++i) {
        const RECT& r = *labelRects[i];
        labels[i]->MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    return TRUE;
}

BOOL CTestDialog::OnEraseBkgnd(CDC* pDC) {
    const CSize size = GetPictureSize(&m_picture);
    if (size.cx != 0) {
        CDC dcMem;
        if (dcMem.CreateCompatibleDC(pDC)) {
            CBitmap* pOld = dcMem.SelectObject(CBitmap::FromHandle(m_picture.GetBitmap()));
            pDC->BitBlt(0, 0, size.cx, size.cy, &dcMem, 0, 0, SRCCOPY);
            dcMem.SelectObject(pOld);
        }
    }
    return TRUE;
}

HBRUSH CTestDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor != CTLCOLOR_STATIC)
        return hbr;
    HBITMAP hPicture = m_picture.GetBitmap();
    if (hPicture == NULL)
        return hbr;
    CRect rcClient;
    pWnd->GetClientRect(&rcClient);
    CRect rcWindow;
    pWnd->GetWindowRect(&rcWindow);
    ScreenToClient(&rcWindow);
    CDC dcMem;
    if (dcMem.CreateCompatibleDC(pDC)) {
        CBitmap* pOld = dcMem.SelectObject(CBitmap::FromHandle(hPicture));
        pDC->BitBlt(0, 0, rcClient.Width(), rcClient.Height(), &dcMem, rcWindow.left, rcWindow.top, SRCCOPY);
        dcMem.SelectObject(pOld);
    }
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

void CTestDialog::OnClicked1() { ++m_nClicks[0]; }
void CTestDialog::OnClicked2() { ++m_nClicks[1]; }
void CTestDialog::OnClicked3() { ++m_nClicks[2]; }
void CTestDialog::OnClicked4() { ++m_nClicks[3]; }

BOOL CTestDialog::PreTranslateForControls(MSG* pMsg) {
    for (TestButton& button : m_btn)
        if (button.GetSafeHwnd() == pMsg->hwnd)
            return button.PreTranslateMessage(pMsg);
    return FALSE;
}
