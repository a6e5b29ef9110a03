// The open dialog: GetOpenFileNameA in its explorer style, owned by the main window.
#include "win32/adapters/ports_win32.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdio>

namespace vr::win32 {

// lStructSize is the whole record, with the tail of Windows 2000 and later (pvReserved, dwReserved, FlagsEx):
// the explorer-style dialog with its places bar. The record's size differs per target.
#if defined(_WIN64)
static_assert(sizeof(OPENFILENAMEA) == 152 && offsetof(OPENFILENAMEA, pvReserved) == 136);
#else
static_assert(sizeof(OPENFILENAMEA) == 88 && offsetof(OPENFILENAMEA, pvReserved) == 76);
#endif

std::optional<std::string> MessageDialogs::openFile(const OpenFileRequest& request) {
    // "Text|*.x|..." becomes the platform's list of strings, each ended by a null and the list by another.
    std::string filter = request.filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');

    char file[4096] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (request.mustExist) dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!request.networkButton) dialog.Flags |= OFN_NONETWORKBUTTON;
    if (!request.readOnlyBox) dialog.Flags |= OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&dialog)) return std::string(file);
    // Cancelled, or the dialog itself failed: only the latter has an error code.
    if (const DWORD error = CommDlgExtendedError()) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04lX", static_cast<unsigned long>(error));
        throw Error(std::string("The Open dialog could not be shown (error ") + code + ")");
    }
    return std::nullopt;
}

}  // namespace vr::win32
