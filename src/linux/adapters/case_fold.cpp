#include "linux/adapters/case_fold.h"

#include <locale.h>
#include <initializer_list>
#include <wctype.h>

namespace vr::lx {

namespace {

// C.UTF-8 carries the whole Unicode case mapping; a system without it folds by the session's own locale.
locale_t unicodeLocale() {
    static const locale_t locale = [] {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
            if (const locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr))) return l;
        return locale_t(nullptr);
    }();
    return locale;
}

}  // namespace

char32_t foldCase(char32_t c) {
    static_assert(sizeof(wchar_t) == sizeof(char32_t), "a wide character holds any code point here");
    const locale_t locale = unicodeLocale();
    const wint_t wide = static_cast<wint_t>(c);
    return static_cast<char32_t>(locale ? towlower_l(wide, locale) : towlower(wide));
}

}  // namespace vr::lx
