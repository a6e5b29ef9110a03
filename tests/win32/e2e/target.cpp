// A stand-in for a watched program: a visible top-level window of the class and title on its command line, in
// UTF-16 so that any character can be given; "\r" and "\n" in either stand for a carriage return and a line
// feed, for windows that name themselves hostilely. The third argument holds its ways, any of: "hang", it stops
// answering messages after one second; "spin", it renames itself as fast as it can for five seconds (the title
// given with a count after it), answering its messages between renames, and then takes the title given;
// "announce", it raises the win event of a renamed window itself after each new title, as Windows does inside
// the default window procedure and Wine 8 does not.
#include <windows.h>
#include <shellapi.h>

#include <string>

static bool announce = false;

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    if (m == WM_SETTEXT && announce) {
        const LRESULT set = DefWindowProcW(w, m, wp, lp);
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, w, OBJID_WINDOW, CHILDID_SELF);
        return set;
    }
    return DefWindowProcW(w, m, wp, lp);
}

static std::wstring unescaped(const wchar_t* text) {
    std::wstring out;
    for (const wchar_t* c = text; *c; ++c) {
        if (c[0] == L'\\' && (c[1] == L'r' || c[1] == L'n')) out += *++c == L'r' ? L'\r' : L'\n';
        else out += *c;
    }
    return out;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring cls = unescaped(argc > 1 ? argv[1] : L"IMWindowClass");
    const std::wstring title = unescaped(argc > 2 ? argv[2] : L"Conversation");
    const std::wstring ways = argc > 3 ? argv[3] : L"";
    const bool hang = ways.find(L"hang") != std::wstring::npos, spin = ways.find(L"spin") != std::wstring::npos;
    announce = ways.find(L"announce") != std::wstring::npos;
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = cls.c_str();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    const HWND window = CreateWindowW(cls.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                                      200, nullptr, nullptr, instance, nullptr);
    MSG msg;
    const DWORD start = GetTickCount();
    for (unsigned n = 0; spin && GetTickCount() - start < 5000; ++n) {
        SetWindowTextW(window, (title + L" " + std::to_wstring(n)).c_str());
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    if (spin) SetWindowTextW(window, title.c_str());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
        if (hang && GetTickCount() - start > 1000) Sleep(INFINITE);
    }
    return 0;
}
