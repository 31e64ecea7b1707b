// What Windows itself says of PASS, for the end-to-end tests, which see only
// the X11 side of it: shown, maximized, minimized, active, which control has
// the focus, and the client area. A GUI program, so that no console window
// comes and goes with it. Exit status 1 when there is no PASS.
#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const HWND PASS = ::FindWindowW(L"PASS", nullptr);
    if (PASS == nullptr) return 1;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(PASS, nullptr), &thread);
    wchar_t focus[32] = L"none";
    if (thread.hwndFocus != nullptr) ::GetClassNameW(thread.hwndFocus, focus, 32);
    RECT client{};
    ::GetClientRect(PASS, &client);
    char line[160];
    const int length = std::snprintf(line, sizeof(line), "visible=%d zoomed=%d iconic=%d active=%d focus=%ls client=%ldx%ld\n",
                                     ::IsWindowVisible(PASS) ? 1 : 0, ::IsZoomed(PASS) ? 1 : 0, ::IsIconic(PASS) ? 1 : 0,
                                     thread.hwndActive == PASS ? 1 : 0, focus, client.right, client.bottom);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    return 0;
}
