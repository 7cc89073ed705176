// The main window's look: shape, buttons, labels, bars, news view, painting, dragging and the two
// web-page buttons.
#include "launcher/TarnwickDlg.h"
#include <shlwapi.h>
#include <exdisp.h>
#include <cstring>
#include "BuildSettings.h"
#include "launcher/ButtonStyle.h"
#include "launcher/GameHost.h"
#include "launcher/TarnwickApp.h"
#include "engine/Language.h"

namespace {

const int kCornerEllipse = 20;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGold = RGB(240, 222, 160);
const COLORREF kTotalBar = RGB(214, 178, 92);
const COLORREF kFileBar = RGB(120, 170, 80);
const COLORREF kBarGround = RGB(20, 24, 20);
const DWORD kDocumentMode = 11001;
const RECT kNewsRect = {26, 238, 454, 446};

const char kEmulationKey[] = "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

// Pixel rectangles of the template controls, in the order they are moved.
struct ControlPlace {
    int id;
    int x, y, cx, cy;
};
const ControlPlace kPlaces[] = {
    {IDC_PLAY, 25, 462, 100, 26},          {IDC_SIGNUP, 135, 462, 100, 26},
    {IDC_WEBSITE, 245, 462, 100, 26},      {IDC_QUIT, 355, 462, 100, 26},
    {IDC_STATUS, 25, 496, 220, 18},        {IDC_SPEED, 245, 496, 110, 18},
    {IDC_COUNT, 355, 496, 100, 18},        {IDC_PROGRESS_FILE, 25, 518, 430, 12},
    {IDC_PROGRESS_TOTAL, 25, 536, 430, 12}, {IDC_VERSION, 25, 560, 430, 20},
};

CString PortalUrl(const char* path)
{
    CString url;
    url.Format("https://%s/%s", VELMORA_PORTAL_HOST, path);
    return url;
}

// Copies a piece of the picture (source at x, y) to 0, 0 of the given context.
void CopyPicture(CDC* pDest, HBITMAP hPicture, int x, int y, int cx, int cy)
{
    CDC memory;
    if (!memory.CreateCompatibleDC(pDest))
        return;
    HGDIOBJ old = memory.SelectObject((HGDIOBJ)hPicture);
    pDest->BitBlt(0, 0, cx, cy, &memory, x, y, SRCCOPY);
    memory.SelectObject(old);
}

// A BSTR of an ANSI text; throws when memory runs out.
BSTR AnsiToBstr(const char* text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    BSTR result = SysAllocStringLen(NULL, length > 0 ? (UINT)(length - 1) : 0);
    if (!result)
        AfxThrowMemoryException();
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, result, length);
    return result;
}

} // namespace

BOOL CTarnwickDlg::SetupWindow()
{
    if (m_picture.LoadFromResource(IDR_BACKGROUND)) {
        CSize size = GetPictureSize(&m_picture);
        if (size.cx != 0) {
            SetWindowPos(NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
            // The system owns the region once it is set.
            if (HRGN hRegion = CreateRoundRectRgn(0, 0, size.cx, size.cy, kCornerEllipse, kCornerEllipse))
                SetWindowRgn(hRegion, FALSE);
            CenterWindow();
        }
    }

    m_font.Attach(CreateFontA(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FF_SWISS | DEFAULT_PITCH, "Segoe UI"));

    StyleButton(&m_btnPlay, FrEn("JOUER", "PLAY"), &m_font);
    StyleButton(&m_btnSignUp, FrEn("INSCRIPTION", "SIGN UP"), &m_font);
    StyleButton(&m_btnWebsite, FrEn("SITE", "WEBSITE"), &m_font);
    StyleButton(&m_btnQuit, FrEn("QUITTER", "QUIT"), &m_font);

    m_lblStatus.SetForeColor(kWhite).SetBold(TRUE);
    m_lblSpeed.SetForeColor(kWhite);
    m_lblCount.SetForeColor(kWhite);
    m_lblVersion.SetForeColor(kGold).SetBold(TRUE);

    m_progressFile.SetRange(0, 100);
    m_progressTotal.SetRange(0, 100);
    m_progressFile.SetPos(0);
    m_progressTotal.SetPos(0);
    m_progressTotal.SetBarColor(kTotalBar);
    m_progressFile.SetBarColor(kFileBar);
    m_progressTotal.SetBkColor(kBarGround);
    m_progressFile.SetBkColor(kBarGround);

    CreateBrowser(PortalUrl("actus/"));

    for (const ControlPlace& place : kPlaces) {
        if (CWnd* pControl = GetDlgItem(place.id))
            pControl->MoveWindow(place.x, place.y, place.cx, place.cy, TRUE);
    }
    return TRUE;
}

void CTarnwickDlg::CreateBrowser(const char* url)
{
    char exePath[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, exePath, MAX_PATH);
    const char* lastSlash = strrchr(exePath, '\\');
    const char* exeName = lastSlash ? lastSlash + 1 : exePath;

    // Pages render in the current document mode, whatever they declare.
    DWORD mode = kDocumentMode;
    SHSetValueA(HKEY_CURRENT_USER, kEmulationKey, exeName, REG_DWORD, &mode, sizeof mode);

    if (!m_wndBrowser.CreateControl(CLSID_WebBrowser, "", WS_CHILD | WS_VISIBLE, kNewsRect, this, IDC_NEWS_VIEW))
        return;
    LPUNKNOWN pUnknown = m_wndBrowser.GetControlUnknown();
    IWebBrowser2* pBrowser = NULL;
    if (!pUnknown || FAILED(pUnknown->QueryInterface(IID_IWebBrowser2, (void**)&pBrowser)) || !pBrowser)
        return;
    pBrowser->put_Silent(VARIANT_TRUE);

    BSTR bstrUrl = AnsiToBstr(url);
    VARIANT flags, frame, postData, headers;
    VariantInit(&flags);
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = 0;
    VariantInit(&frame);
    V_VT(&frame) = VT_BSTR;
    V_BSTR(&frame) = SysAllocString(L"");
    VariantInit(&postData);
    VariantInit(&headers);
    V_VT(&headers) = VT_BSTR;
    V_BSTR(&headers) = SysAllocString(L"");
    pBrowser->Navigate(bstrUrl, &flags, &frame, &postData, &headers);
    VariantClear(&flags);
    VariantClear(&frame);
    VariantClear(&postData);
    VariantClear(&headers);
    SysFreeString(bstrUrl);
    pBrowser->Release();
}

BOOL CTarnwickDlg::OnEraseBkgnd(CDC* pDC)
{
    CSize size = GetPictureSize(&m_picture);
    if (size.cx != 0)
        CopyPicture(pDC, m_picture.GetBitmap(), 0, 0, size.cx, size.cy);
    return TRUE;
}

HBRUSH CTarnwickDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor != CTLCOLOR_STATIC)
        return hbr;
    HBITMAP hPicture = m_picture.GetBitmap();
    if (!hPicture || !pWnd)
        return hbr;

    CRect client;
    pWnd->GetClientRect(&client);
    CRect place;
    pWnd->GetWindowRect(&place);
    ScreenToClient(&place);
    CopyPicture(pDC, hPicture, place.left, place.top, client.Width(), client.Height());
    return (HBRUSH)GetStockObject(NULL_BRUSH);
}

void CTarnwickDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
    CRect client;
    GetClientRect(&client);
    int x = (client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CTarnwickDlg::OnQueryDragIcon()
{
    return (HCURSOR)m_hIcon;
}

LRESULT CTarnwickDlg::OnNcHitTest(CPoint)
{
    // The whole window is its caption: it is dragged from any point.
    return HTCAPTION;
}

void CTarnwickDlg::OnSignUp()
{
    GetTarnwickApp()->OpenUrl(PortalUrl("portail/inscription.php"));
}

void CTarnwickDlg::OnWebsite()
{
    CString url;
    url.Format("https://%s/", GameHost());
    GetTarnwickApp()->OpenUrl(url);
}
