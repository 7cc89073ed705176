// Points, sizes and rectangles layered on the Win32 structures so they pass straight to the API.
#pragma once

#include <windows.h>

class CPoint : public tagPOINT {
public:
    CPoint(int initX, int initY) { x = initX; y = initY; }
};

class CSize : public tagSIZE {
public:
    CSize(int initCX, int initCY) { cx = initCX; cy = initCY; }
};

class CRect : public tagRECT {
public:
    CRect() { left = top = right = bottom = 0; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
