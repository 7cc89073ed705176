// The launcher look of the main window's buttons.
#pragma once
#include "framework/framework.h"
#include "controls/ImageButton.h"

// Gives one of the window's buttons the launcher look, its caption and its font.
void StyleButton(CImageButton* pButton, const char* caption, CFont* pFont);
