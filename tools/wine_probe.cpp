// Exits with 32 only when it runs as a 32-bit program, so that starting it under Wine tells whether
// this machine can run the shipped 32-bit launcher (tools/windows-build.sh). Given "hold" and a
// file name, it instead keeps Wine's desktop in use, makes the file once it does, and waits until
// it is ended (tools/with-wine.sh).

#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "hold") == 0) {
        ::GetDesktopWindow();
        ::CloseHandle(::CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ::Sleep(INFINITE);
    }
    return sizeof(void*) == 4 ? 32 : 1;
}
