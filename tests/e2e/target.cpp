// A stand-in for a watched program: a visible top-level window of the class and title on its command line, in
// UTF-16 so that any character can be given; "\r" and "\n" in either stand for a carriage return and a line
// feed, for windows that name themselves hostilely. With "hang" as a third argument it stops answering
// messages after one second.
#include <windows.h>
#include <shellapi.h>

#include <string>

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
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
    const bool hang = argc > 3 && std::wstring(argv[3]) == L"hang";
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = cls.c_str();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    CreateWindowW(cls.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                  instance, nullptr);
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
        if (hang && GetTickCount() - start > 1000) Sleep(INFINITE);
    }
    return 0;
}
