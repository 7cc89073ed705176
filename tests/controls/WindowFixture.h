// A shown test dialog on the test's own thread, with the pointer parked outside it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "TestDialog.h"
#include "tests/support/Input.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pump.h"
#include "tests/support/WaitFor.h"

using namespace testsupport;

// Far outside the dialog, which stands at the screen's top-left corner.
const POINT kParkedPointer = {1100, 900};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        MovePointer(kParkedPointer);
        m_dlg.reset(new CTestDialog(WithPicture()));
        ASSERT_TRUE(m_dlg->Create(IDD_CONTROLS_TEST, NULL));
        m_dlg->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_dlg->m_hWnd);
        m_dlg->UpdateWindow();
        Settle();
    }

    void TearDown() override {
        if (m_dlg->GetSafeHwnd() != NULL)
            m_dlg->DestroyWindow();
        PumpPending();
        m_dlg.reset();
    }

    virtual BOOL WithPicture() const { return TRUE; }

    TestButton& Button(int i) { return m_dlg->m_btn[i]; }
    bool Pump(const std::function<bool()>& done) { return PumpUntil(done, 3000, m_dlg->GetSafeHwnd(), Controls()); }
    void Settle() { PumpPending(m_dlg->GetSafeHwnd(), Controls()); }
    // Each message goes to the pre-translation of the button it is for, as in a modal loop.
    MessageFilter Controls() {
        return [this](MSG& msg) { return m_dlg->GetSafeHwnd() != NULL && m_dlg->PreTranslateForControls(&msg); };
    }

    // Whether the window has a pending repaint, after letting earlier ones run.
    static bool HasUpdate(CWnd& wnd) { return ::GetUpdateRect(wnd.GetSafeHwnd(), NULL, FALSE) != FALSE; }
    void Flush(CWnd& wnd) {
        Settle();
        wnd.UpdateWindow();
        ASSERT_FALSE(HasUpdate(wnd));
    }

    std::unique_ptr<CTestDialog> m_dlg;
};
