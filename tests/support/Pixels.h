// Pixels read back from the screen or from pictures, compared, and written out as PNG screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> data;  // row by row, top row first

    COLORREF At(int x, int y) const { return data[(size_t)y * width + x]; }
    bool Empty() const { return data.empty(); }
};

// What the screen shows of a rectangle; of a window's whole rectangle (outside its region too); of its
// client area (children included).
Pixels CaptureScreen(const RECT& rect);
Pixels CaptureWindow(HWND window);
Pixels CaptureClient(HWND window);
// The pixels of a bitmap as a device-independent 32-bit image.
Pixels ReadBitmap(HBITMAP bitmap);
// A device-dependent bitmap of the given pixels (row by row); the caller deletes it.
HBITMAP MakeBitmap(int width, int height, const COLORREF* pixels);
// A picture file (JPEG, BMP...) decoded by the system; empty when it cannot be read.
Pixels LoadPicture(const std::string& path);

// Writes an RGB PNG (stored deflate blocks, no compression library needed). False on failure.
bool WritePng(const Pixels& pixels, const std::string& path);

// Within `tolerance` on every channel.
bool Near(COLORREF a, COLORREF b, int tolerance = 8);
// The pixels of `rect` (in both images' coordinates) that are within `tolerance` of each other, and
// their share of those that both images hold.
int CountEqual(const Pixels& a, const Pixels& b, const RECT& rect, int tolerance = 0);
double MatchShare(const Pixels& a, const Pixels& b, const RECT& rect, int tolerance = 8);
// The pixels of `rect` that have exactly this colour.
int CountColor(const Pixels& pixels, const RECT& rect, COLORREF color);

// A child control's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND child);
// The screen position of a point of a window's client area.
POINT ClientPointOnScreen(HWND window, int x, int y);

} // namespace testsupport
