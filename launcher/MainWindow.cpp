#include "launcher/TarnwickDlg.h"

CTarnwickDlg* g_pMainDlg = NULL;
