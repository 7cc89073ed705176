// The resources linked into a program: template, artwork, icon, cursor, manifest and version, read back
// through the same system calls the launcher uses.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/Pixels.h"

static_assert(IDD_LAUNCHER == 102 && IDR_BACKGROUND == 104 && IDI_LAUNCHER == 128 && IDC_BUTTON_CURSOR == 176,
              "resource ids");
static_assert(IDB_BUTTON == 200 && IDB_BUTTON_HOT == 201 && IDD_INSTALL == 300, "resource ids");
static_assert(IDC_PLAY == 1019 && IDC_SIGNUP == 1041 && IDC_WEBSITE == 1004 && IDC_QUIT == 1011, "button ids");
static_assert(IDC_PROGRESS_FILE == 1001 && IDC_PROGRESS_TOTAL == 1002, "progress bar ids");
static_assert(IDC_STATUS == 1008 && IDC_SPEED == 1007 && IDC_COUNT == 1005 && IDC_VERSION == 1013, "label ids");
static_assert(IDC_NEWS_VIEW == 0xE900, "news view id");
static_assert(IDC_INSTALL_PROMPT == 1100 && IDC_INSTALL_FOLDER == 1101 && IDC_INSTALL_BROWSE == 1102 &&
                  IDC_INSTALL_SPACE == 1103,
              "install dialog ids");

namespace {

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes FindBytes(LPCSTR name, LPCSTR type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded) return {};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, info)};
}

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p) { return Word(p) | (static_cast<DWORD>(Word(p + 2)) << 16); }

// Top-down copy of a bitmap's pixels as 0x00RRGGBB, whatever the bitmap's own format.
std::vector<DWORD> RgbPixels(HBITMAP bitmap) {
    std::vector<DWORD> rgb;
    for (COLORREF c : testsupport::ReadBitmap(bitmap).data)
        rgb.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    return rgb;
}

int Red(DWORD p) { return (p >> 16) & 0xFF; }
int Green(DWORD p) { return (p >> 8) & 0xFF; }
int Blue(DWORD p) { return p & 0xFF; }
double Luma(DWORD p) { return 0.299 * Red(p) + 0.587 * Green(p) + 0.114 * Blue(p); }

bool IsGold(DWORD p) { return Red(p) > 150 && Red(p) > Blue(p) + 50 && Green(p) > Blue(p); }

double MeanLuma(const std::vector<DWORD>& px, int width, RECT r) {
    double sum = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) sum += Luma(px[static_cast<size_t>(y) * width + x]);
    return sum / ((r.right - r.left) * (r.bottom - r.top));
}

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// ---------------------------------------------------------------- background picture

class Background : public ComApartment {
protected:
    void SetUp() override {
        ComApartment::SetUp();
        ResourceBytes jpeg = FindBytes(MAKEINTRESOURCEA(IDR_BACKGROUND), "IMAGE");
        ASSERT_NE(jpeg.data, nullptr) << "no IMAGE resource 104";
        bytes_.assign(jpeg.data, jpeg.data + jpeg.size);
    }
    void TearDown() override {
        if (picture_) picture_->Release();
        ComApartment::TearDown();
    }
    HBITMAP Load() {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        if (!memory) return nullptr;
        memcpy(GlobalLock(memory), bytes_.data(), bytes_.size());
        GlobalUnlock(memory);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) return nullptr;
        HRESULT hr = OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture_));
        stream->Release();
        OLE_HANDLE handle = 0;
        if (FAILED(hr) || !picture_ || FAILED(picture_->get_Handle(&handle))) return nullptr;
        return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    }
    std::vector<BYTE> bytes_;
    IPicture* picture_ = nullptr;
};

TEST_F(Background, IsABaselineColourJfifOf480x600) {
    ASSERT_GT(bytes_.size(), 40000u);
    EXPECT_LT(bytes_.size(), 90000u);
    ASSERT_EQ(bytes_[0], 0xFF);
    ASSERT_EQ(bytes_[1], 0xD8);
    ASSERT_EQ(bytes_[2], 0xFF);
    ASSERT_EQ(bytes_[3], 0xE0) << "first segment is not APP0";
    EXPECT_EQ(memcmp(&bytes_[6], "JFIF", 5), 0);

    // Walk the segments up to the scan: exactly one frame header, and it must be the baseline one.
    std::set<int> frames;
    int width = 0, height = 0, components = 0;
    size_t pos = 2;
    while (pos + 4 <= bytes_.size() && bytes_[pos] == 0xFF) {
        int marker = bytes_[pos + 1];
        size_t length = (bytes_[pos + 2] << 8) | bytes_[pos + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            frames.insert(marker);
            height = (bytes_[pos + 5] << 8) | bytes_[pos + 6];
            width = (bytes_[pos + 7] << 8) | bytes_[pos + 8];
            components = bytes_[pos + 9];
        }
        if (marker == 0xDA) break;
        pos += 2 + length;
    }
    EXPECT_EQ(frames, std::set<int>{0xC0});
    EXPECT_EQ(width, 480);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(components, 3);
}

TEST_F(Background, LoadsThroughOlePictureAndLeavesRoomForTheWindow) {
    HBITMAP bitmap = Load();
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm = {};
    ASSERT_NE(GetObjectA(bitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 480);
    EXPECT_EQ(bm.bmHeight, 600);

    std::vector<DWORD> px = RgbPixels(bitmap);
    ASSERT_EQ(px.size(), 480u * 600u);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 480 + x]; };

    // The gold frame lies just outside the news view (26, 238) - (454, 446); the view itself covers the rest.
    for (int y : {260, 340, 420}) {
        EXPECT_TRUE(IsGold(at(25, y))) << "left frame at y " << y;
        EXPECT_TRUE(IsGold(at(454, y))) << "right frame at y " << y;
        EXPECT_LT(Luma(at(27, y)), 60) << "inside, left, y " << y;
        EXPECT_LT(Luma(at(452, y)), 60) << "inside, right, y " << y;
    }
    for (int x : {60, 160, 330, 420}) {
        EXPECT_TRUE(IsGold(at(x, 237))) << "top frame at x " << x;
        EXPECT_TRUE(IsGold(at(x, 446))) << "bottom frame at x " << x;
        EXPECT_LT(Luma(at(x, 240)), 60) << "inside, top, x " << x;
        EXPECT_LT(Luma(at(x, 444)), 60) << "inside, bottom, x " << x;
    }
    // Thin gold line along the edge, inside the rounded outline.
    EXPECT_TRUE(IsGold(at(240, 2)) || IsGold(at(240, 3)));
    EXPECT_TRUE(IsGold(at(2, 300)) || IsGold(at(3, 300)));
    EXPECT_TRUE(IsGold(at(240, 597)) || IsGold(at(240, 596)));

    // Light text stays readable where the labels and the version line stand.
    const RECT labels[] = {{25, 496, 245, 514}, {245, 496, 355, 514}, {355, 496, 455, 514}, {25, 560, 455, 580}};
    for (const RECT& r : labels) EXPECT_LT(MeanLuma(px, 480, r), 80) << "label at x " << r.left << " y " << r.top;

    // The emblem: gold pixels in the upper part.
    int gold = 0;
    for (int y = 20; y < 230; ++y)
        for (int x = 140; x < 340; ++x) gold += IsGold(at(x, y));
    EXPECT_GT(gold, 2000);
}

// ---------------------------------------------------------------- button faces

class ButtonFace : public ::testing::TestWithParam<int> {};

TEST_P(ButtonFace, Is100x26TwentyFourBitWithMagentaCornersOnly) {
    ResourceBytes raw = FindBytes(MAKEINTRESOURCEA(GetParam()), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_NE(raw.data, nullptr);
    ASSERT_GE(raw.size, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, raw.data, sizeof header);
    EXPECT_EQ(header.biWidth, 100);
    EXPECT_EQ(header.biHeight, 26);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(GetParam()), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 100);
    EXPECT_EQ(dib.dsBm.bmHeight, 26);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);

    std::vector<DWORD> px = RgbPixels(bitmap);
    DeleteObject(bitmap);
    ASSERT_EQ(px.size(), 2600u);
    const DWORD magenta = 0xFF00FF;
    for (int x : {0, 99})
        for (int y : {0, 25}) EXPECT_EQ(px[y * 100 + x], magenta) << "corner " << x << "," << y;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 100; ++x) {
            DWORD p = px[y * 100 + x];
            bool inCorner = (x < 10 || x >= 90) && (y < 10 || y >= 16);
            if (p == magenta) {
                EXPECT_TRUE(inCorner) << "magenta at " << x << "," << y;
            } else {
                // A blend of magenta into the face would show as a pink fringe around the button.
                bool pinkish = Red(p) > 160 && Blue(p) > 160 && Green(p) < 100;
                EXPECT_FALSE(pinkish) << "near-magenta at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFaces, ButtonFace, ::testing::Values(IDB_BUTTON, IDB_BUTTON_HOT));

TEST(ButtonFaces, HoveredFaceIsBrighterWithTheSameShape) {
    double luma[2] = {};
    std::vector<bool> shape[2];
    const int ids[2] = {IDB_BUTTON, IDB_BUTTON_HOT};
    for (int i = 0; i < 2; ++i) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ids[i]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        std::vector<DWORD> px = RgbPixels(bitmap);
        DeleteObject(bitmap);
        ASSERT_EQ(px.size(), 2600u);
        int count = 0;
        for (DWORD p : px) {
            shape[i].push_back(p == 0xFF00FF);
            if (p != 0xFF00FF) luma[i] += Luma(p), ++count;
        }
        luma[i] /= count;
    }
    EXPECT_EQ(shape[0], shape[1]);
    EXPECT_GT(luma[1], luma[0] + 15);
}

// ---------------------------------------------------------------- icon and cursor

TEST(Icon, HasSixThirtyTwoBitImagesWithAlpha) {
    ResourceBytes group = FindBytes(MAKEINTRESOURCEA(IDI_LAUNCHER), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group.data, nullptr);
    ASSERT_GE(group.size, 6u);
    ASSERT_EQ(Word(group.data + 2), 1) << "not an icon group";
    int count = Word(group.data + 4);
    ASSERT_EQ(group.size, 6u + 14u * count);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = group.data + 6 + 14 * i;
        int width = entry[0] ? entry[0] : 256;
        EXPECT_EQ(entry[1], entry[0]) << "square";
        EXPECT_EQ(Word(entry + 6), 32) << "bit count of the " << width << " pixel image";
        sizes.insert(width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 128}));

    for (int size : sizes) {
        int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, size, size, LR_DEFAULTCOLOR);
        ResourceBytes image = FindBytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_NE(image.data, nullptr) << size;
        BITMAPINFOHEADER header;
        memcpy(&header, image.data, sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biBitCount, 32);
        // Transparent outside the round emblem, opaque in its middle.
        const BYTE* bgra = image.data + header.biSize;
        auto alpha = [&](int x, int y) { return bgra[(static_cast<size_t>(size - 1 - y) * size + x) * 4 + 3]; };
        EXPECT_EQ(alpha(0, 0), 0) << size;
        EXPECT_EQ(alpha(size / 2, size / 2), 255) << size;

        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_LAUNCHER), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Cursor, IsAMonochrome32PixelHandWithItsHotSpotOnTheFingertip) {
    ResourceBytes group = FindBytes(MAKEINTRESOURCEA(IDC_BUTTON_CURSOR), MAKEINTRESOURCEA(12) /* RT_GROUP_CURSOR */);
    ASSERT_NE(group.data, nullptr);
    ASSERT_EQ(Word(group.data + 2), 2) << "not a cursor group";
    ASSERT_EQ(Word(group.data + 4), 1);
    const BYTE* entry = group.data + 6;
    EXPECT_EQ(Word(entry), 32);       // width
    EXPECT_EQ(Word(entry + 2), 64);   // height of colour and mask
    EXPECT_EQ(Word(entry + 6), 1);    // bit count

    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_BUTTON_CURSOR), IMAGE_CURSOR, 32, 32, 0));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr) << "a colour cursor";
    ASSERT_NE(info.hbmMask, nullptr);
    BITMAP bm = {};
    GetObjectA(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 64);

    // The hot spot is drawn: the AND half is opaque there.
    std::vector<DWORD> mask = RgbPixels(info.hbmMask);
    ASSERT_EQ(mask.size(), 32u * 64u);
    EXPECT_EQ(mask[0 * 32 + 5] & 0xFFFFFF, 0u) << "the hot spot is not on the hand";
    EXPECT_NE(mask[0 * 32 + 0] & 0xFFFFFF, 0u) << "the top-left corner should show the screen";
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

// ---------------------------------------------------------------- manifest and version

BOOL CALLBACK CountResource(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Manifest, AsksForAsInvokerWithoutVisualStylesOrDpiAwareness) {
    int manifests = 0;
    EnumResourceNamesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(24), CountResource,
                       reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);

    ResourceBytes raw = FindBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(raw.data, nullptr);
    std::string text(reinterpret_cast<const char*>(raw.data), raw.size);
    EXPECT_NE(text.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(text.find("dpiAware"), std::string::npos);
    EXPECT_EQ(text.find("dpiAwareness"), std::string::npos);
}

TEST(Manifest, LeavesTheClassicCommonControlsLoaded) {
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO version = {};
    version.cbSize = sizeof version;
    ASSERT_TRUE(SUCCEEDED(getVersion(&version)));
    EXPECT_LT(version.dwMajorVersion, 6u);
    FreeLibrary(comctl);
}

TEST(VersionResource, NamesTheProduct) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "Velmora World");
}

// ---------------------------------------------------------------- main window template

struct TemplateControl {
    int id;
    std::string cls;  // lower case; the predefined classes by name
    DWORD style;
    short x, y, cx, cy;
    std::string text;
};

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD menu = 0xFFFF, windowClass = 0xFFFF;
    std::string title, face;
    WORD points = 0, weight = 0;
    BYTE italic = 0xFF, charset = 0xFF;
    std::vector<TemplateControl> controls;
};

// Reads a name-or-ordinal field: 0 (none), FFFF + ordinal, or a zero-terminated UTF-16 string.
const BYTE* ReadSzOrOrdinal(const BYTE* p, std::string* text, WORD* ordinal) {
    if (Word(p) == 0xFFFF) {
        if (ordinal) *ordinal = Word(p + 2);
        return p + 4;
    }
    if (ordinal) *ordinal = 0;
    std::string s;
    while (Word(p)) s += static_cast<char>(Word(p) < 128 ? Word(p) : '?'), p += 2;
    if (text) *text = s;
    return p + 2;
}

const BYTE* AlignDword(const BYTE* base, const BYTE* p) {
    return base + ((p - base + 3) & ~3);
}

bool ParseExtendedTemplate(const BYTE* base, Template* t) {
    if (Word(base) != 1 || Word(base + 2) != 0xFFFF) return false;
    t->exStyle = Dword(base + 8);
    t->style = Dword(base + 12);
    int count = Word(base + 16);
    t->x = static_cast<short>(Word(base + 18));
    t->y = static_cast<short>(Word(base + 20));
    t->cx = static_cast<short>(Word(base + 22));
    t->cy = static_cast<short>(Word(base + 24));
    const BYTE* p = base + 26;
    std::string none;
    p = ReadSzOrOrdinal(p, &none, &t->menu);
    p = ReadSzOrOrdinal(p, &none, &t->windowClass);
    p = ReadSzOrOrdinal(p, &t->title, nullptr);
    if (t->style & DS_SETFONT) {
        t->points = Word(p);
        t->weight = Word(p + 2);
        t->italic = p[4];
        t->charset = p[5];
        p = ReadSzOrOrdinal(p + 6, &t->face, nullptr);
    }
    for (int i = 0; i < count; ++i) {
        p = AlignDword(base, p);
        TemplateControl c;
        c.style = Dword(p + 8);
        c.x = static_cast<short>(Word(p + 12));
        c.y = static_cast<short>(Word(p + 14));
        c.cx = static_cast<short>(Word(p + 16));
        c.cy = static_cast<short>(Word(p + 18));
        c.id = static_cast<int>(Dword(p + 20));
        WORD atom = 0;
        p = ReadSzOrOrdinal(p + 24, &c.cls, &atom);
        if (atom == 0x80) c.cls = "button";
        if (atom == 0x82) c.cls = "static";
        for (char& ch : c.cls) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        p = ReadSzOrOrdinal(p, &c.text, nullptr);
        p += 2 + Word(p);  // creation data
        t->controls.push_back(c);
    }
    return true;
}

TEST(LauncherTemplate, HasTheWindowsStylesFontAndControlsInTabOrder) {
    ResourceBytes raw = FindBytes(MAKEINTRESOURCEA(IDD_LAUNCHER), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(raw.data, nullptr);
    Template t;
    ASSERT_TRUE(ParseExtendedTemplate(raw.data, &t)) << "not an extended template";

    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                                          DS_SETFONT));
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 320);
    EXPECT_EQ(t.cy, 400);
    EXPECT_EQ(t.menu, 0);
    EXPECT_EQ(t.windowClass, 0);
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.face, "Segoe UI");
    EXPECT_EQ(t.points, 9);
    EXPECT_EQ(t.weight, 400);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, DEFAULT_CHARSET);

    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const DWORD bar = WS_CHILD | WS_VISIBLE | PBS_SMOOTH;
    const DWORD label = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE;
    const TemplateControl expected[] = {
        {1019, "button", WS_CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 300, 60, 14, ""},
        {1041, "button", button, 80, 300, 60, 14, ""},
        {1004, "button", button, 150, 300, 60, 14, ""},
        {1011, "button", button, 220, 300, 60, 14, ""},
        {1001, "msctls_progress32", bar, 10, 340, 280, 8, ""},
        {1002, "msctls_progress32", bar, 10, 352, 280, 8, ""},
        {1008, "static", label | SS_LEFT, 10, 322, 120, 10, ""},
        {1007, "static", label | SS_CENTER, 130, 322, 80, 10, ""},
        {1005, "static", label | SS_RIGHT, 210, 322, 80, 10, ""},
        {1013, "static", label | WS_GROUP | SS_CENTER, 10, 366, 280, 10, "Velmora World"},
    };
    ASSERT_EQ(t.controls.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const TemplateControl& got = t.controls[i];
        const TemplateControl& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.cls, want.cls);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.text, want.text);
    }
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(LauncherTemplate, CreatesAWindowWithPlayHiddenAndTheOtherControlsShown) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LAUNCHER), nullptr,
                                     PlainDialog, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    EXPECT_EQ(GetWindowTextLengthA(dialog), 0);
    EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    const int order[] = {1019, 1041, 1004, 1011, 1001, 1002, 1008, 1007, 1005, 1013};
    std::vector<int> ids;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(ids, std::vector<int>(std::begin(order), std::end(order)));

    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_PLAY)));
    for (int id : {IDC_SIGNUP, IDC_WEBSITE, IDC_QUIT, IDC_PROGRESS_FILE, IDC_PROGRESS_TOTAL, IDC_STATUS, IDC_SPEED,
                   IDC_COUNT, IDC_VERSION})
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, id))) << id;

    char cls[64] = {};
    GetClassNameA(GetDlgItem(dialog, IDC_PROGRESS_TOTAL), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, PROGRESS_CLASSA);
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_VERSION, text, sizeof text);
    EXPECT_STREQ(text, "Velmora World");
    DestroyWindow(dialog);
}

}  // namespace
