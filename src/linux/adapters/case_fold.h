// Letter case on Linux: a character folded as the C library's full Unicode tables fold it, whatever locale the
// session sets (a "C" locale would fold ASCII letters only).
#pragma once

namespace vr::lx {

char32_t foldCase(char32_t c);

}  // namespace vr::lx
