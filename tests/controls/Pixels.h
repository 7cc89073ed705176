// Pixels read back from the screen, and PNG output of them for the screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> data;  // row by row, top row first

    COLORREF At(int x, int y) const { return data[(size_t)y * width + x]; }
    bool Empty() const { return data.empty(); }
};

// What the screen shows of a window's client area (children included).
Pixels CaptureClient(HWND hWnd);
// The pixels of a bitmap as a device-independent 32-bit image.
Pixels ReadBitmap(HBITMAP hBitmap);

// Writes an RGB PNG (stored deflate blocks, no compression library needed). False on failure.
bool WritePng(const Pixels& pixels, const std::string& path);

// Linux path of the build folder as a Windows path through drive Z:.
std::string BuildPath(const char* relative);
