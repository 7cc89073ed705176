// Stand-in until the window's layout (shape, font, buttons, labels, bars, news view) is written:
// the file that defines the real CTarnwickDlg::SetupWindow removes this one.
#include "launcher/TarnwickDlg.h"

BOOL CTarnwickDlg::SetupWindow()
{
    return TRUE;
}
