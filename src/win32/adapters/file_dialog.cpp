// The open dialog: GetOpenFileNameW in its explorer style, owned by the main window.
#include "win32/adapters/ports_win32.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdio>

#include "win32/windows/win32_util.h"

namespace vr::win32 {

// lStructSize is the whole record, with the tail of Windows 2000 and later (pvReserved, dwReserved, FlagsEx):
// the explorer-style dialog with its places bar. The record's size differs per target.
#if defined(_WIN64)
static_assert(sizeof(OPENFILENAMEW) == 152 && offsetof(OPENFILENAMEW, pvReserved) == 136);
#else
static_assert(sizeof(OPENFILENAMEW) == 88 && offsetof(OPENFILENAMEW, pvReserved) == 76);
#endif

std::optional<std::string> MessageDialogs::openFile(const OpenFileRequest& request) {
    // "Text|*.x|..." becomes the platform's list of strings, each ended by a null and the list by another.
    std::wstring filter = widen(request.filter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    const std::wstring folder = widen(request.initialFolder), extension = widen(request.defaultExtension);

    wchar_t file[4096] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = std::size(file);
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (request.mustExist) dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!request.networkButton) dialog.Flags |= OFN_NONETWORKBUTTON;
    if (!request.readOnlyBox) dialog.Flags |= OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog)) return narrow(file);
    // Cancelled, or the dialog itself failed: only the latter has an error code.
    if (const DWORD error = CommDlgExtendedError()) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04lX", static_cast<unsigned long>(error));
        throw Error(std::string("The Open dialog could not be shown (error ") + code + ")");
    }
    return std::nullopt;
}

}  // namespace vr::win32
