#pragma once

#include <windows.h>

// Benchmark builds only (ZTLV_STARTUP_CLOCK): marks a program's entry and the end of its first
// dialog's first paint, and leaves on that dialog, for the benchmark to read, the time between the
// two and the processor time the process has used up to the paint. Timed inside the program, they
// leave out the time Wine takes to create the process, and the processor time also every wait for
// a core. Other builds do nothing here.
namespace StartupClock {

// The dialog's window properties that hold the two times, in microseconds.
constexpr char kElapsedProperty[] = "ztlv-startup-us";
constexpr char kProcessorProperty[] = "ztlv-startup-cpu-us";

#ifdef ZTLV_STARTUP_CLOCK
void MarkEntry();
void MarkPainted(HWND dialog); // only the first call counts
#else
inline void MarkEntry() {}
inline void MarkPainted(HWND) {}
#endif

} // namespace StartupClock
