#include "platform/process.h"

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

bool ChangeDirectory(const char* path) {
    return _chdir(path) == 0;
}

// The runtime joins the arguments with single blanks, unquoted: the game receives the command line
// "path argument" and splits it itself.
void ReplaceProcess(const char* path, const char* argument) {
    _execl(path, path, argument, static_cast<const char*>(nullptr));
}

#else

bool ChangeDirectory(const char* path) {
    return chdir(path) == 0;
}

void ReplaceProcess(const char* path, const char* argument) {
    char* const arguments[] = {const_cast<char*>(path), const_cast<char*>(argument), nullptr};
    execv(path, arguments);
}

#endif

} // namespace platform
