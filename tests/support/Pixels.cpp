#include "tests/support/Pixels.h"

#include <ole2.h>
#include <olectl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/support/TestPaths.h"

namespace testsupport {

namespace {

// A 32-bit image, top row first.
BITMAPINFO TopDown(int width, int height) {
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    return bi;
}

Pixels FromDc(HDC hdcSource, int x, int y, int width, int height) {
    Pixels out;
    if (width <= 0 || height <= 0)
        return out;
    BITMAPINFO bi = TopDown(width, height);
    void* bits = NULL;
    HBITMAP hDib = CreateDIBSection(hdcSource, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (hDib == NULL)
        return out;
    HDC hdcMem = CreateCompatibleDC(hdcSource);
    HGDIOBJ hOld = SelectObject(hdcMem, hDib);
    BitBlt(hdcMem, 0, 0, width, height, hdcSource, x, y, SRCCOPY);
    GdiFlush();
    out.width = width;
    out.height = height;
    out.data.resize((size_t)width * height);
    const DWORD* p = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < out.data.size(); ++i)
        out.data[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(hdcMem, hOld);
    DeleteDC(hdcMem);
    DeleteObject(hDib);
    return out;
}

unsigned long Crc32(const unsigned char* data, size_t size, unsigned long crc = 0) {
    crc = ~crc & 0xFFFFFFFFul;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
    }
    return ~crc & 0xFFFFFFFFul;
}

void PutBigEndian(std::string& out, unsigned long value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += (char)((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, (unsigned long)data.size());
    std::string body(type, 4);
    body += data;
    out += body;
    PutBigEndian(out, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

}  // namespace

Pixels CaptureScreen(const RECT& rect) {
    HDC hdcScreen = GetDC(NULL);
    Pixels out = FromDc(hdcScreen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(NULL, hdcScreen);
    return out;
}

Pixels CaptureWindow(HWND hWnd) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return CaptureScreen(rc);
}

Pixels CaptureClient(HWND hWnd) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    MapWindowPoints(hWnd, NULL, (POINT*)&rc, 2);
    return CaptureScreen(rc);
}

Pixels ReadBitmap(HBITMAP hBitmap) {
    BITMAP bm = {};
    if (GetObjectA(hBitmap, sizeof bm, &bm) == 0)
        return Pixels();
    HDC hdcScreen = GetDC(NULL);
    HDC hdcBitmap = CreateCompatibleDC(hdcScreen);
    HGDIOBJ hOld = SelectObject(hdcBitmap, hBitmap);
    Pixels out = FromDc(hdcBitmap, 0, 0, bm.bmWidth, bm.bmHeight);
    SelectObject(hdcBitmap, hOld);
    DeleteDC(hdcBitmap);
    ReleaseDC(NULL, hdcScreen);
    return out;
}

HBITMAP MakeBitmap(int width, int height, const COLORREF* pixels) {
    BITMAPINFO bi = TopDown(width, height);
    std::vector<DWORD> bits((size_t)width * height);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = (GetRValue(pixels[i]) << 16) | (GetGValue(pixels[i]) << 8) | GetBValue(pixels[i]);
    HDC hdc = GetDC(NULL);
    HBITMAP hbm = CreateCompatibleBitmap(hdc, width, height);
    SetDIBits(hdc, hbm, 0, height, bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(NULL, hdc);
    return hbm;
}

Pixels LoadPicture(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    if (bytes.empty())
        return Pixels();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == NULL)
        return Pixels();
    memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = NULL;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return Pixels();
    }
    IPicture* picture = NULL;
    HRESULT hr = OleLoadPicture(stream, (LONG)bytes.size(), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr))
        return Pixels();
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    Pixels out = ReadBitmap((HBITMAP)(UINT_PTR)handle);
    picture->Release();
    return out;
}

bool WritePng(const Pixels& pixels, const std::string& path) {
    if (pixels.Empty())
        return false;
    std::string raw;
    raw.reserve((size_t)pixels.height * (pixels.width * 3 + 1));
    for (int y = 0; y < pixels.height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < pixels.width; ++x) {
            const COLORREF c = pixels.At(x, y);
            raw += (char)GetRValue(c);
            raw += (char)GetGValue(c);
            raw += (char)GetBValue(c);
        }
    }

    std::string zlib("\x78\x01", 2);
    size_t pos = 0;
    do {
        const size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        const bool last = pos + len == raw.size();
        zlib += (char)(last ? 1 : 0);
        zlib += (char)(len & 0xFF);
        zlib += (char)(len >> 8);
        zlib += (char)(~len & 0xFF);
        zlib += (char)((~len >> 8) & 0xFF);
        zlib.append(raw, pos, len);
        pos += len;
    } while (pos < raw.size());
    unsigned long a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::string header;
    PutBigEndian(header, (unsigned long)pixels.width);
    PutBigEndian(header, (unsigned long)pixels.height);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());

    return WriteWholeFile(path, png);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

namespace {

// Counts the pixels of `rect` that both images hold, and those of them that are near each other.
void Compare(const Pixels& a, const Pixels& b, const RECT& rect, int tolerance, int& held, int& equal) {
    held = equal = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            if (x < 0 || y < 0 || x >= a.width || y >= a.height || x >= b.width || y >= b.height)
                continue;
            ++held;
            equal += Near(a.At(x, y), b.At(x, y), tolerance);
        }
}

}  // namespace

int CountEqual(const Pixels& a, const Pixels& b, const RECT& rect, int tolerance) {
    int held, equal;
    Compare(a, b, rect, tolerance, held, equal);
    return equal;
}

double MatchShare(const Pixels& a, const Pixels& b, const RECT& rect, int tolerance) {
    int held, equal;
    Compare(a, b, rect, tolerance, held, equal);
    return held ? (double)equal / held : 0.0;
}

int CountColor(const Pixels& pixels, const RECT& rect, COLORREF color) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += pixels.At(x, y) == color;
    return count;
}

RECT PlaceInParent(HWND hChild) {
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(NULL, GetParent(hChild), (POINT*)&rc, 2);
    return rc;
}

POINT ClientPointOnScreen(HWND hWnd, int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(hWnd, &pt);
    return pt;
}

}  // namespace testsupport
