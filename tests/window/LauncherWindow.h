// The launcher's real main window for tests: its whole look and layout, without the update
// controller (no download starts), plus helpers to see it on screen.
#pragma once
#include <windows.h>

#include "launcher/TarnwickDlg.h"
#include "../controls/Pixels.h"

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

// What the screen shows of the window's whole rectangle (outside its region too).
Pixels CaptureWindow(HWND hWnd);
// A rectangle of a child control in its parent's client coordinates.
RECT PlaceInParent(HWND hChild);
// Counts the pixels of `rect` (client coordinates of both images) that are equal in a and b.
int CountEqual(const Pixels& a, const Pixels& b, const RECT& rect);
int CountColor(const Pixels& a, const RECT& rect, COLORREF color);
// The screen position of a point of a window's client area.
POINT ClientPointOnScreen(HWND hWnd, int x, int y);
