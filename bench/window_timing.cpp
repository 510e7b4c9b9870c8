// Times the real launcher from outside, under Wine, against floor programs built by the same
// toolchain, run for run and interleaved so both meet the same machine, every other run in the
// opposite order:
//   start-up:     program start until the program is first idle, its dialog visible (and, where it
//                 has one, the width box holding the focus), against a bare program opening one
//                 empty dialog, and the same bare program opening the launcher's own dialog
//                 template with its icon; beside it, what each program's own start-up clock
//                 measured (platform/framework/StartupClock.h) and the processor time Wine's
//                 server used meanwhile;
//   play to game: the Play click, once the dialog has settled, until the stand-in game has
//                 written its record, against starting the same stand-in directly with the same
//                 command line, and against a floor whose Play button saves the same settings
//                 file as the launcher, then starts the game as it does.
// It also reads the launcher's peak working set at the idle dialog.
// Usage: window_timing BUILD_DIR SETTINGS_FILE RUNS MAX_RUNS   (BUILD_DIR: the benchmark build,
// which holds the launcher, the floors and the stand-in game where it builds them; runs beyond
// RUNS, up to MAX_RUNS, only while a verdict is undecided or its interval wider than 0.06)
// Prints each run's twelve times in milliseconds on a line "run ...", in the order of the fields
// of Sample, then each ratio with its interval and verdict on a line "ratio ...", the peak working
// set and the number of warm-up runs left out.

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/framework/StartupClock.h"
#include "ui/resources/resource.h"

namespace {

// The caption the launcher's dialog template gives the launcher and the floors that open it.
const char kLauncherCaption[] = "ZTLV/Z3D Launcher";

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "window_timing: %s\n", what.c_str());
    std::exit(1);
}

template <class Check> bool PollUntil(double timeoutMs, Check check) {
    const double deadline = Now() + timeoutMs;
    while (!check()) {
        if (Now() > deadline) {
            return false;
        }
        // A short sleep, not a spin: on two cores a busy driver would slow what it measures.
        ::Sleep(1);
    }
    return true;
}

// Every program this starts, and the games they start in turn.
HANDLE g_programs = nullptr;

// How long the machine is left to settle before a timed start or click.
const DWORD kSettleMs = 300;

// Waits until every program started before has ended, the game a Play started included, and then
// a while longer: under Wine a program started just as the last one ends takes up to twice as long
// to open its window (measured: 91 ms against 51 ms after a 300 ms pause).
void WaitUntilAllEnded() {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
    if (!PollUntil(10000, [&counts] {
            return ::QueryInformationJobObject(g_programs, JobObjectBasicAccountingInformation,
                                               &counts, sizeof counts, nullptr) &&
                   counts.ActiveProcesses == 0;
        })) {
        Fail("a program did not end");
    }
    ::Sleep(kSettleMs);
}

// Starts a program in the job, so that what it starts joins the job too.
PROCESS_INFORMATION Start(const std::string& program, std::string commandLine,
                          const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                          CREATE_SUSPENDED, nullptr, folder.c_str(), &startup, &process) ||
        !::AssignProcessToJobObject(g_programs, process.hProcess) ||
        ::ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        Fail("cannot start " + program);
    }
    return process;
}

void Finish(PROCESS_INFORMATION& process) {
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        Fail("a program did not end");
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

HWND VisibleWindowOf(DWORD processId, const char* caption) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, nullptr, caption)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

bool FocusIsOn(HWND dialog, int id) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) &&
           info.hwndFocus && ::GetDlgCtrlID(info.hwndFocus) == id;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Scratch {
    std::string folder;
    std::string record;
    std::string settings;
};

Scratch MakeInstallation(const std::string& standIn, const std::string& settingsFile) {
    char temporary[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temporary);
    Scratch scratch;
    scratch.folder =
        std::string(temporary) + "ztlv-bench-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(scratch.folder.c_str(), nullptr);
    ::CreateDirectoryA((scratch.folder + "\\Zerbs 3D").c_str(), nullptr);
    ::CreateDirectoryA((scratch.folder + "\\Zerbs 3D\\bin").c_str(), nullptr);
    if (!::CopyFileA(standIn.c_str(), (scratch.folder + "\\Zerbs 3D\\bin\\Zerbs3D.exe").c_str(),
                     FALSE)) {
        Fail("cannot copy the stand-in game");
    }
    scratch.record = scratch.folder + "\\Zerbs 3D\\received.txt";
    std::FILE* file = std::fopen(settingsFile.c_str(), "rb");
    char bytes[4096];
    const std::size_t length = file ? std::fread(bytes, 1, sizeof bytes, file) : 0;
    if (!file || std::fclose(file) != 0 || length == 0) {
        Fail("cannot read " + settingsFile);
    }
    scratch.settings.assign(bytes, length);
    return scratch;
}

// The command line the stand-in game recorded: what the launcher passed it. The game may still be
// writing the record it has just made.
std::string RecordedCommandLine(const std::string& record) {
    const char key[] = "command line: ";
    char line[1024] = "";
    const bool read = PollUntil(10000, [&] {
        std::FILE* file = std::fopen(record.c_str(), "rb");
        const bool whole = file && std::fgets(line, sizeof line, file) &&
                           std::strncmp(line, key, sizeof key - 1) == 0 && std::strchr(line, '\n');
        if (file) {
            std::fclose(file);
        }
        return whole;
    });
    if (!read) {
        Fail("cannot read the command line from " + record);
    }
    return std::string(line + sizeof key - 1, std::strcspn(line + sizeof key - 1, "\r\n"));
}

void WriteSettings(const Scratch& scratch) {
    std::FILE* file = std::fopen((scratch.folder + "\\ztlvlauncher.ini").c_str(), "wb");
    std::fwrite(scratch.settings.data(), 1, scratch.settings.size(), file);
    std::fclose(file);
}

struct Sample {
    double launcherStartup;
    double floorStartup;
    double templateFloorStartup;
    double launcherPlay;
    double floorPlay;
    double savingFloorPlay;
    // Start-up as each program's own clock times it: its entry to the end of its first paint.
    double launcherPainted;
    double floorPainted;
    double templateFloorPainted;
    // The processor time each program used until then, with what Wine's server used meanwhile.
    double launcherProcessor;
    double floorProcessor;
    double templateFloorProcessor;
};

// Wine's server's processor time so far: Wine opens every file in its server, so "/proc/self"
// is the server's own.
double ServerProcessorMs() {
    const HANDLE file = ::CreateFileA("Z:\\proc\\self\\schedstat", GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    char text[128] = "";
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || !::ReadFile(file, text, sizeof text - 1, &read, nullptr)) {
        Fail("cannot read Wine's server's processor time");
    }
    ::CloseHandle(file);
    text[read] = '\0';
    return std::strtod(text, nullptr) / 1e6;
}

// The microseconds a program's start-up clock left on its dialog, in milliseconds.
double StartUpClockMs(HWND dialog, const char* property) {
    return static_cast<double>(reinterpret_cast<INT_PTR>(::GetPropA(dialog, property))) / 1000.0;
}

// Starts a program and times it until its dialog is usable; returns the dialog, still open.
// Also reads what the program's own clock measured (see Sample).
HWND TimeStartUp(const std::string& program, const std::string& folder, const char* caption,
                 int focusId, PROCESS_INFORMATION& process, double& elapsed, double& painted,
                 double& processor) {
    WaitUntilAllEnded();
    const double server = ServerProcessorMs();
    const double start = Now();
    process = Start(program, "\"" + program + "\"", folder);
    // Waits for the program's first idle moment before it polls: polling all along would ask
    // Wine's server about windows every millisecond while the program needs it to start.
    ::WaitForInputIdle(process.hProcess, 10000);
    HWND dialog = nullptr;
    if (!PollUntil(10000, [&] {
            dialog = VisibleWindowOf(process.dwProcessId, caption);
            return dialog && (focusId == 0 || FocusIsOn(dialog, focusId));
        })) {
        Fail(program + " did not become usable");
    }
    elapsed = Now() - start;
    if (!PollUntil(10000, [&] {
            return (painted = StartUpClockMs(dialog, StartupClock::kElapsedProperty)) > 0;
        })) {
        Fail(program + " has no start-up clock (built without ZTLV_STARTUP_CLOCK)");
    }
    processor =
        StartUpClockMs(dialog, StartupClock::kProcessorProperty) + ServerProcessorMs() - server;
    return dialog;
}

// Starts a program on the example settings, clicks its "Play Zerbs 3D" a while after its dialog
// became usable, as a player would, and times the click until the game has written its record.
// Clicked at once, the click would also wait for the tail of the start-up (the window's first
// paint, its icons): the launcher's Play quartiles were 27.6 and 40.6 ms so, 29.4 and 32.1 ms now.
double TimePlay(const std::string& program, const Scratch& scratch) {
    WriteSettings(scratch);
    ::DeleteFileA(scratch.record.c_str());
    PROCESS_INFORMATION process;
    double ignored = 0;
    const HWND dialog = TimeStartUp(program, scratch.folder, kLauncherCaption, IDC_WIDTH, process,
                                    ignored, ignored, ignored);
    const HWND play = ::GetDlgItem(dialog, IDC_PLAY_ZERBS3D);
    ::Sleep(kSettleMs);
    const double start = Now();
    ::PostMessageA(play, BM_CLICK, 0, 0);
    if (!PollUntil(10000, [&] { return Exists(scratch.record); })) {
        Fail("the game was not started by " + program);
    }
    const double elapsed = Now() - start;
    Finish(process);
    return elapsed;
}

struct Programs {
    std::string launcher;
    std::string floor;
    std::string templateFloor;
    std::string savingFloor;
};

// One run. Reversed runs start the programs in the opposite order, so that no program always
// follows the same one: what a program leaves behind as it ends can slow the next one's start.
Sample RunOnce(const Programs& programs, const Scratch& scratch, bool reversed,
               SIZE_T* peakWorkingSet) {
    Sample sample = {};
    const struct {
        const std::string& program;
        const char* caption;
        int focusId;
        double& elapsed;
        double& painted;
        double& processor;
    } startUps[] = {
        {programs.launcher, kLauncherCaption, IDC_WIDTH, sample.launcherStartup,
         sample.launcherPainted, sample.launcherProcessor},
        {programs.floor, "Floor", 0, sample.floorStartup, sample.floorPainted,
         sample.floorProcessor},
        {programs.templateFloor, kLauncherCaption, IDC_WIDTH, sample.templateFloorStartup,
         sample.templateFloorPainted, sample.templateFloorProcessor},
    };
    const int count = static_cast<int>(std::size(startUps));
    WriteSettings(scratch);
    for (int i = 0; i < count; ++i) {
        const auto& startUp = startUps[reversed ? count - 1 - i : i];
        PROCESS_INFORMATION process;
        const HWND dialog =
            TimeStartUp(startUp.program, scratch.folder, startUp.caption, startUp.focusId, process,
                        startUp.elapsed, startUp.painted, startUp.processor);
        if (&startUp.program == &programs.launcher && peakWorkingSet) {
            ::Sleep(100);
            PROCESS_MEMORY_COUNTERS memory = {};
            if (::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
                *peakWorkingSet = memory.PeakWorkingSetSize;
            }
        }
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Finish(process);
    }

    // Play until the game has written its record: the launcher and the floor that saves too, each
    // starting the game with the same command line.
    const std::string* players[] = {&programs.launcher, &programs.savingFloor};
    double* plays[] = {&sample.launcherPlay, &sample.savingFloorPlay};
    std::string commandLines[2];
    for (int i = 0; i < 2; ++i) {
        const int player = reversed ? 1 - i : i;
        *plays[player] = TimePlay(*players[player], scratch);
        commandLines[player] = RecordedCommandLine(scratch.record);
    }
    if (commandLines[1] != commandLines[0]) {
        Fail("the saving floor started the game with another command line");
    }

    // Floor: the same game started directly, with the command line the launcher gave it.
    ::DeleteFileA(scratch.record.c_str());
    const std::string game = scratch.folder + "\\Zerbs 3D\\bin\\Zerbs3D.exe";
    WaitUntilAllEnded();
    const double start = Now();
    PROCESS_INFORMATION process = Start(game, commandLines[0], scratch.folder + "\\Zerbs 3D");
    if (!PollUntil(10000, [&] { return Exists(scratch.record); })) {
        Fail("the stand-in game did not write its record");
    }
    sample.floorPlay = Now() - start;
    Finish(process);
    return sample;
}

// The median of the run-by-run ratios of one measure, the launcher's over a floor's, with the
// distribution-free 95% interval of a median: the order statistics n/2 - 0.98 sqrt(n) and
// 1 + n/2 + 0.98 sqrt(n), counted from 1.
struct Ratio {
    double median, low, high;

    const char* Verdict() const {
        return high <= kLimit ? "at or under" : low > kLimit ? "ABOVE" : "not told apart (noise)";
    }
    // Decided, and as narrow as a verdict needs: more runs would tell no more.
    bool Settled() const { return (high <= kLimit || low > kLimit) && high - low <= kWidth; }

    static constexpr double kLimit = 1.05;
    static constexpr double kWidth = 0.06;
};

Ratio RatioOf(const std::vector<Sample>& samples, double Sample::*launcher, double Sample::*floor) {
    std::vector<double> ratios;
    for (const Sample& sample : samples) {
        ratios.push_back(sample.*launcher / sample.*floor);
    }
    std::sort(ratios.begin(), ratios.end());
    const int n = static_cast<int>(ratios.size());
    const double spread = 0.98 * std::sqrt(n);
    const int low = std::max(1, static_cast<int>(n / 2.0 - spread));
    const int high = std::min(n, static_cast<int>(1 + n / 2.0 + spread + 0.999));
    return {(ratios[(n - 1) / 2] + ratios[n / 2]) / 2, ratios[low - 1], ratios[high - 1]};
}

// The table's ratios, each named after its floor's column in bench/run.sh; the verdicts rest on
// the marked ones. Start-up's rests on processor time,
// which of the three start-up measures waits on nothing: no core, no other process.
const struct {
    const char* name;
    double Sample::*launcher;
    double Sample::*floor;
    bool verdict;
} kRatios[] = {
    {"startup_floor", &Sample::launcherStartup, &Sample::floorStartup, false},
    {"startup_template_floor", &Sample::launcherStartup, &Sample::templateFloorStartup, false},
    {"painted_template_floor", &Sample::launcherPainted, &Sample::templateFloorPainted, false},
    {"processor_template_floor", &Sample::launcherProcessor, &Sample::templateFloorProcessor, true},
    {"play_floor", &Sample::launcherPlay, &Sample::floorPlay, false},
    {"play_saving_floor", &Sample::launcherPlay, &Sample::savingFloorPlay, true},
};

bool VerdictsSettled(const std::vector<Sample>& samples) {
    for (const auto& ratio : kRatios) {
        if (ratio.verdict && !RatioOf(samples, ratio.launcher, ratio.floor).Settled()) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        Fail("usage: window_timing BUILD_DIR SETTINGS_FILE RUNS MAX_RUNS");
    }
    const std::string build = argv[1];
    const Programs programs = {build + "\\ZTLV LAUNCHER.EXE", build + "\\bench\\floor_dialog.exe",
                               build + "\\bench\\floor_launcher_template.exe",
                               build + "\\bench\\floor_play.exe"};
    // The stand-in game must not wait for a person to read what it received.
    ::SetEnvironmentVariableA("ZTLV_STAND_IN_QUIET", "1");
    g_programs = ::CreateJobObjectA(nullptr, nullptr);
    if (!g_programs) {
        Fail("cannot create a job for the programs");
    }
    const int runs = std::atoi(argv[3]);
    const int maxRuns = std::max(runs, std::atoi(argv[4]));
    const Scratch scratch = MakeInstallation(build + "\\demo\\stand_in_game.exe", argv[2]);

    SIZE_T peak = 0;
    const int warmUps = 2;
    for (int warmUp = 0; warmUp < warmUps; ++warmUp) {
        RunOnce(programs, scratch, warmUp % 2 == 1, nullptr);
    }
    // More runs than asked for only while a verdict is undecided or its interval wide, and never
    // more than the cap: a quiet machine stays quick.
    std::vector<Sample> samples;
    while (static_cast<int>(samples.size()) < runs ||
           (static_cast<int>(samples.size()) < maxRuns && !VerdictsSettled(samples))) {
        samples.push_back(RunOnce(programs, scratch, samples.size() % 2 == 1, &peak));
        const Sample& sample = samples.back();
        std::printf("run %.1f %.1f %.1f %.1f %.1f %.1f %.2f %.2f %.2f %.2f %.2f %.2f\n",
                    sample.launcherStartup, sample.floorStartup, sample.templateFloorStartup,
                    sample.launcherPlay, sample.floorPlay, sample.savingFloorPlay,
                    sample.launcherPainted, sample.floorPainted, sample.templateFloorPainted,
                    sample.launcherProcessor, sample.floorProcessor, sample.templateFloorProcessor);
    }
    for (const auto& ratio : kRatios) {
        const Ratio r = RatioOf(samples, ratio.launcher, ratio.floor);
        std::printf("ratio %s %.2f %.2f %.2f %s%s\n", ratio.name, r.median, r.low, r.high,
                    r.Verdict(), ratio.verdict ? " (the verdict)" : "");
    }
    std::printf("peak_working_set_kib %lu\n", static_cast<unsigned long>(peak / 1024));
    std::printf("warm_ups %d\n", warmUps);
    return 0;
}
