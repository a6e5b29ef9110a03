// The picture behind the main window's pages: the JPEG resource decoded once, when first painted, scaled to the
// system DPI, and painted behind every page while visual themes are in force. Controls that ask their parent
// for a background get a brush of the same picture aligned to where they stand, so it shows through them.
#pragma once
#include <windows.h>

namespace vr::win32 {

class Backdrop {
public:
    Backdrop(HINSTANCE instance, int resource, int dpi);
    ~Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    // Whether the picture shows: it decoded, and the pages take their background from the window.
    bool shown() const;
    // Fills a rectangle of window (in its client coordinates) with what lies behind it.
    void fill(HWND window, HDC dc, const RECT& area) const;
    // The brush for a control's background, its origin set so the picture lines up; button face without it.
    HBRUSH brushFor(HWND control, HDC dc) const;

private:
    POINT deviceOrigin(HWND window, HDC dc) const;  // where the picture's top-left corner lies in dc
    void load() const;

    HINSTANCE instance_;
    int resource_, dpi_;
    mutable bool loaded_ = false;
    mutable HBITMAP bitmap_ = nullptr;
    mutable HBRUSH brush_ = nullptr;
};

// Decodes a baseline or progressive JPEG into a top-down 32-bit DIB section; nullptr when it cannot.
HBITMAP decodeJpeg(const void* data, unsigned long size);

}  // namespace vr::win32
