#include <windows.h>

int wmain(int argc, wchar_t* argv[]) {
    if (argc < 2) return 2;
    const HANDLE file = ::CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    ::CloseHandle(file);
    return 0;
}
