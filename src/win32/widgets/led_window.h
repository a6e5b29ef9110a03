// The window of a Led: a small flat rectangular lamp in the model's colour, centred, on the page's own
// background. It repaints when the model says so.
#pragma once
#include <windows.h>

#include "model/led.h"
#include "win32/windows/backdrop.h"

namespace vr::win32 {

HWND createLedWindow(HWND parent, int id, const RECT& bounds, Led& model, const Backdrop& backdrop, int dpi);

}  // namespace vr::win32
