// The control container hosting the WebBrowser control, and failing cleanly for a class that does
// not exist.
#include <gtest/gtest.h>

#include <exdisp.h>

#include "framework/framework.h"
#include "tests/support/Pump.h"

using namespace testsupport;

namespace {

// {6A1B0C2D-0000-4E11-9C3A-5D1F00C0FFEE}: registered nowhere.
const CLSID kMissingClsid = {0x6a1b0c2d, 0x0000, 0x4e11, {0x9c, 0x3a, 0x5d, 0x1f, 0x00, 0xc0, 0xff, 0xee}};
const UINT kHostId = 0xE900;
const RECT kHostRect = {26, 38, 454, 246};

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxEnableControlContainer();
        ASSERT_TRUE(m_parent.CreateEx(0, NULL, "container test", WS_POPUP | WS_VISIBLE, 0, 0, 480, 300, NULL, NULL));
        PumpPending();
    }
    void TearDown() override {
        if (m_parent.GetSafeHwnd())
            m_parent.DestroyWindow();
        PumpPending();
    }

    int CountChildren() const {
        int count = 0;
        for (HWND h = ::GetWindow(m_parent.GetSafeHwnd(), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
            ++count;
        return count;
    }

    CWnd m_parent;
};

TEST_F(ContainerTest, MissingClassFailsCleanlyAndLeavesTheParentUsable) {
    CWnd host;
    EXPECT_FALSE(host.CreateControl(kMissingClsid, "", WS_CHILD | WS_VISIBLE, kHostRect, &m_parent, kHostId));
    EXPECT_EQ(NULL, host.GetSafeHwnd());
    EXPECT_EQ(NULL, host.GetControlUnknown());
    EXPECT_EQ(0, CountChildren()) << "the failed host window must be gone";

    // The same object can host something else afterwards, and the parent takes other children.
    CWnd other;
    EXPECT_TRUE(other.CreateEx(0, NULL, "", WS_CHILD | WS_VISIBLE, kHostRect, &m_parent, 1));
    EXPECT_EQ(1, CountChildren());
}

// Under Wine the WebBrowser object exists (ieframe) even with its HTML engine switched off; where
// it cannot be created at all, the failure must be the clean one above.
TEST_F(ContainerTest, WebBrowserStandsInItsHostAndIsReleasedWithTheWindow) {
    CWnd host;
    if (!host.CreateControl(CLSID_WebBrowser, "", WS_CHILD | WS_VISIBLE, kHostRect, &m_parent, kHostId)) {
        EXPECT_EQ(NULL, host.GetSafeHwnd());
        EXPECT_EQ(0, CountChildren());
        GTEST_SKIP() << "no WebBrowser control on this system: the failure was clean";
    }
    ASSERT_NE(nullptr, host.GetSafeHwnd());
    EXPECT_EQ((int)kHostId, ::GetDlgCtrlID(host.m_hWnd));
    EXPECT_TRUE(::IsWindowVisible(host.m_hWnd));
    CRect place;
    host.GetWindowRect(&place);
    m_parent.ScreenToClient(&place);
    EXPECT_TRUE(EqualRect(&kHostRect, &place));

    IUnknown* pUnknown = host.GetControlUnknown();
    ASSERT_NE(nullptr, pUnknown);
    IWebBrowser2* pBrowser = NULL;
    ASSERT_HRESULT_SUCCEEDED(pUnknown->QueryInterface(IID_IWebBrowser2, (void**)&pBrowser));
    EXPECT_HRESULT_SUCCEEDED(pBrowser->put_Silent(VARIANT_TRUE));
    VARIANT_BOOL silent = VARIANT_FALSE;
    EXPECT_HRESULT_SUCCEEDED(pBrowser->get_Silent(&silent));
    EXPECT_EQ(VARIANT_TRUE, silent);

    // Activated in place: its window stands inside the host and fills it.
    IOleObject* pObject = NULL;
    ASSERT_HRESULT_SUCCEEDED(pUnknown->QueryInterface(IID_IOleObject, (void**)&pObject));
    IOleClientSite* pSite = NULL;
    EXPECT_HRESULT_SUCCEEDED(pObject->GetClientSite(&pSite));
    ASSERT_NE(nullptr, pSite);
    pSite->Release();
    HWND hControl = ::GetWindow(host.GetSafeHwnd(), GW_CHILD);
    ASSERT_NE(nullptr, hControl) << "the control made no window in its host";
    RECT controlRect;
    ::GetClientRect(hControl, &controlRect);
    EXPECT_EQ(kHostRect.right - kHostRect.left, controlRect.right);
    EXPECT_EQ(kHostRect.bottom - kHostRect.top, controlRect.bottom);
    PumpPending();

    // Destroying the parent closes the control: it lets go of its site and its window.
    m_parent.DestroyWindow();
    PumpPending();
    EXPECT_EQ(NULL, host.GetSafeHwnd());
    EXPECT_EQ(NULL, host.GetControlUnknown());
    EXPECT_FALSE(::IsWindow(hControl));
    pSite = reinterpret_cast<IOleClientSite*>(1);
    pObject->GetClientSite(&pSite);
    EXPECT_EQ(nullptr, pSite) << "the closed control still holds the container's site";
    pObject->Release();
    pBrowser->Release();
}

TEST_F(ContainerTest, DestroyingTheHostObjectAloneReleasesTheControl) {
    IOleObject* pObject = NULL;
    {
        CWnd host;
        if (!host.CreateControl(CLSID_WebBrowser, "", WS_CHILD | WS_VISIBLE, kHostRect, &m_parent, kHostId))
            GTEST_SKIP() << "no WebBrowser control on this system";
        ASSERT_HRESULT_SUCCEEDED(host.GetControlUnknown()->QueryInterface(IID_IOleObject, (void**)&pObject));
        EXPECT_EQ(1, CountChildren());
    }
    PumpPending();
    EXPECT_EQ(0, CountChildren());
    IOleClientSite* pSite = reinterpret_cast<IOleClientSite*>(1);
    pObject->GetClientSite(&pSite);
    EXPECT_EQ(nullptr, pSite);
    pObject->Release();
}

} // namespace
