// A stand-in for either game: it records what it was started with in "received.txt" in its
// working directory, so a person or a test can see exactly what the launcher passed on. The record
// is written under another name and renamed when complete, so a reader never sees half of it. On
// Windows it also shows the record, unless ZTLV_STAND_IN_QUIET is set (as the tests do).

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <stdlib.h>
#include <windows.h>
#define getcwd _getcwd
#else
#include <unistd.h>
extern char** environ;
#endif

int main(int argc, char** argv) {
    std::FILE* record = std::fopen("received.part", "w");
    if (!record) {
        return 1;
    }
#ifdef _WIN32
    std::fprintf(record, "command line: %s\n", GetCommandLineA());
    char** const environment = _environ;
#else
    char** const environment = environ;
#endif
    std::fprintf(record, "argument count: %d\n", argc);
    for (int i = 0; i < argc; ++i) {
        std::fprintf(record, "argument %d: %s\n", i, argv[i]);
    }
    char directory[4096];
    std::fprintf(record, "working directory: %s\n",
                 getcwd(directory, sizeof directory) ? directory : "(unknown)");
    for (char** variable = environment; *variable; ++variable) {
        std::fprintf(record, "environment: %s\n", *variable);
    }
    if (std::fclose(record) != 0) {
        return 1;
    }
    std::remove("received.txt");
    if (std::rename("received.part", "received.txt") != 0) {
        return 1;
    }
#ifdef _WIN32
    if (!std::getenv("ZTLV_STAND_IN_QUIET")) {
        std::string shown = "The launcher started this stand-in game with:\n\n";
        shown += std::string("Command line: ") + GetCommandLineA() + "\n";
        shown += std::string("Working directory: ") +
                 (getcwd(directory, sizeof directory) ? directory : "");
        MessageBoxA(nullptr, shown.c_str(), "Stand-in game", MB_OK | MB_ICONINFORMATION);
    }
#endif
    return 0;
}
