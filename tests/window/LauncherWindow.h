// The launcher's real main window for tests: its whole look and layout, without the update
// controller (no download starts), the places of its controls, and a backdrop behind it.
#pragma once
#include <windows.h>

#include "launcher/TarnwickDlg.h"
#include "tests/support/Pixels.h"

class CLauncherLookDlg : public CTarnwickDlg {
public:
    CLauncherLookDlg() : m_hWndReady(NULL) {}

    volatile HWND m_hWndReady; // set once the window is laid out (read by input threads)

    using CTarnwickDlg::OnCancel;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetupWindow();
        ::SetForegroundWindow(m_hWnd);
        m_hWndReady = m_hWnd;
        return TRUE;
    }
};

// Where the window's template controls stand once it is laid out, in client pixels.
struct ControlPlace {
    int id;
    RECT rect;
};
extern const ControlPlace kPlaces[10];

// While it lives, the game's web server is another host than the portal (the test build lets the
// environment name it), so that the window's pages cannot take one host for the other.
class CGameHostElsewhere {
public:
    static constexpr const char* kHost = "game.velmora.test";
    CGameHostElsewhere();
    ~CGameHostElsewhere();
    CGameHostElsewhere(const CGameHostElsewhere&) = delete;
    CGameHostElsewhere& operator=(const CGameHostElsewhere&) = delete;
};

// A full-screen window of one colour behind the tested window: what shows through its cut corners.
class CBackdrop {
public:
    static constexpr COLORREF kColor = RGB(0, 255, 0);
    CBackdrop();
    ~CBackdrop();
    CBackdrop(const CBackdrop&) = delete;
    CBackdrop& operator=(const CBackdrop&) = delete;

private:
    HWND m_hWnd;
};
