#include "platform/framework/StartupClock.h"

namespace {

LARGE_INTEGER g_entry;
bool g_painted = false;

// The processor time the whole process has used since it was created, asked of Linux directly
// (clock_gettime of CLOCK_PROCESS_CPUTIME_ID): Wine's GetProcessTimes counts in 10 ms ticks.
// 0 where the program does not run under Wine.
LONGLONG ProcessorMicroseconds() {
    if (!::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        return 0;
    }
#ifdef __x86_64__
    long long time[2] = {};
    long long result = 0;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(228LL), "D"(2LL), "S"(time)
                 : "rcx", "r11", "memory");
#else
    int time[2] = {};
    int result = 0;
    asm volatile("int $0x80" : "=a"(result) : "a"(265), "b"(2), "c"(time) : "memory");
#endif
    return result == 0 ? time[0] * 1000000LL + time[1] / 1000 : 0;
}

} // namespace

void StartupClock::MarkEntry() {
    ::QueryPerformanceCounter(&g_entry);
}

void StartupClock::MarkPainted(HWND dialog) {
    if (g_painted) {
        return;
    }
    g_painted = true;
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const LONGLONG processor = ProcessorMicroseconds();
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const LONGLONG elapsed = (now.QuadPart - g_entry.QuadPart) * 1000000 / frequency.QuadPart;
    ::SetPropA(dialog, kElapsedProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(elapsed)));
    ::SetPropA(dialog, kProcessorProperty,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(processor)));
}
