// A shown test dialog on the test's own thread, with the pointer parked outside it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Pixels.h"
#include "TestDialog.h"
#include "Ui.h"

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
        PumpPending(m_dlg.get());
    }

    void TearDown() override {
        if (m_dlg->GetSafeHwnd() != NULL)
            m_dlg->DestroyWindow();
        PumpPending(NULL);
        m_dlg.reset();
    }

    virtual BOOL WithPicture() const { return TRUE; }

    TestButton& Button(int i) { return m_dlg->m_btn[i]; }
    bool Pump(const std::function<bool()>& done) { return PumpUntil(m_dlg.get(), done); }
    void Settle() { PumpPending(m_dlg.get()); }

    // Whether the window has a pending repaint, after letting earlier ones run.
    static bool HasUpdate(CWnd& wnd) { return ::GetUpdateRect(wnd.GetSafeHwnd(), NULL, FALSE) != FALSE; }
    void Flush(CWnd& wnd) {
        Settle();
        wnd.UpdateWindow();
        ASSERT_FALSE(HasUpdate(wnd));
    }

    std::unique_ptr<CTestDialog> m_dlg;
};
