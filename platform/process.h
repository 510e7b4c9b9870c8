#pragma once

// The runtime's directory change and process-replacing start, with one contract on every platform.
namespace platform {

// Makes path the process's working directory; false, with nothing changed, when it can't be
// entered.
bool ChangeDirectory(const char* path);

// Starts the program at path, resolved against the working directory without any search path, in
// place of this process, with the environment inherited and the argument list {path, argument}.
// Returns only when the program could not be started.
void ReplaceProcess(const char* path, const char* argument);

} // namespace platform
