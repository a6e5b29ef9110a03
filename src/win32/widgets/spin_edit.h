// TrmSpinEdit: an edit box whose text holds an integer, with arrow buttons inside on the right. The arrows and
// the Up and Down keys step the value by the increment without any range; typing lets through only digits,
// signs, the locale's decimal separator and control characters other than Enter, and beeps at the rest.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vr::win32 {

HWND createSpinEdit(HWND parent, int id, const RECT& bounds, const char* text, std::int32_t minimum,
                    std::int32_t increment, int dpi);

}  // namespace vr::win32
