// A stand-in for a protected program: leaves the file its argument names. A
// GUI program, as most protected programs are: a console one would bring a
// console window of its own.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) return 2;
    const HANDLE file =
        ::CreateFileW(arguments[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ::LocalFree(arguments);
    if (file == INVALID_HANDLE_VALUE) return 1;
    ::CloseHandle(file);
    return 0;
}
