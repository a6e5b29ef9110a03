#include "win32/windows/backdrop.h"

#include <uxtheme.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace vr::win32 {

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};

void onJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1); }
void quiet(j_common_ptr) {}

HBITMAP scaled(HBITMAP source, int width, int height, int dpi) {
    if (dpi == 96) return source;
    const int w = MulDiv(width, dpi, 96), h = MulDiv(height, dpi, 96);
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, result);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, w, h, from, 0, 0, width, height, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return result;
}

}  // namespace

namespace {

// The decoder's state lives in the caller of the function that calls setjmp: after a longjmp, that function's
// own locals changed since the setjmp have indeterminate values, the caller's do not.
struct JpegDecode {
    jpeg_decompress_struct info{};
    JpegError error{};
    HBITMAP bitmap = nullptr;
};

// Decodes into decode.bitmap; false when libjpeg gave up or the bitmap could not be made.
bool decodeInto(JpegDecode& decode, const void* data, unsigned long size) {
    jpeg_decompress_struct& info = decode.info;
    if (setjmp(decode.error.escape)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, static_cast<const unsigned char*>(data), size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;  // the DIB's own byte order
    jpeg_start_decompress(&info);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = LONG(info.output_width);
    bmi.bmiHeader.biHeight = -LONG(info.output_height);
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    decode.bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!decode.bitmap) return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = static_cast<JSAMPROW>(bits) + std::size_t(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

HBITMAP decodeJpeg(const void* data, unsigned long size) {
    JpegDecode decode;
    decode.info.err = jpeg_std_error(&decode.error.manager);
    decode.error.manager.error_exit = onJpegError;
    decode.error.manager.output_message = quiet;
    const bool decoded = decodeInto(decode, data, size);
    jpeg_destroy_decompress(&decode.info);  // also after a failed create: it frees only what was allocated
    if (decoded) return decode.bitmap;
    if (decode.bitmap) DeleteObject(decode.bitmap);
    return nullptr;
}

Backdrop::Backdrop(HINSTANCE instance, int resource, int dpi) : instance_(instance), resource_(resource), dpi_(dpi) {}

void Backdrop::load() const {
    // Decoded when it is first painted: a program that stays hidden in the tray never pays for the picture.
    loaded_ = true;
    HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(resource_), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return;
    const void* data = LockResource(LoadResource(instance_, found));
    if (HBITMAP picture = decodeJpeg(data, SizeofResource(instance_, found))) {
        BITMAP info;
        GetObjectA(picture, sizeof info, &info);
        bitmap_ = scaled(picture, info.bmWidth, info.bmHeight, dpi_);
        brush_ = CreatePatternBrush(bitmap_);
    }
}

Backdrop::~Backdrop() {
    if (brush_) DeleteObject(brush_);
    if (bitmap_) DeleteObject(bitmap_);
}

bool Backdrop::shown() const {
    if (!loaded_) load();
    return brush_ && IsAppThemed();
}

POINT Backdrop::deviceOrigin(HWND window, HDC dc) const {
    // The main window's client origin in the window's client coordinates, then in the DC's device space: a
    // parent asked to paint a child's background (WM_PRINTCLIENT) gets a DC whose origin is moved, and brush
    // origins are device coordinates.
    POINT origin{0, 0};
    MapWindowPoints(GetAncestor(window, GA_ROOT), window, &origin, 1);
    LPtoDP(dc, &origin, 1);
    return origin;
}

void Backdrop::fill(HWND window, HDC dc, const RECT& area) const {
    if (!shown()) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const POINT at = deviceOrigin(window, dc);
    POINT old;
    SetBrushOrgEx(dc, at.x, at.y, &old);
    FillRect(dc, &area, brush_);
    SetBrushOrgEx(dc, old.x, old.y, nullptr);
}

HBRUSH Backdrop::brushFor(HWND control, HDC dc) const {
    if (!shown()) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    const POINT at = deviceOrigin(control, dc);
    SetBrushOrgEx(dc, at.x, at.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    return brush_;
}

}  // namespace vr::win32
