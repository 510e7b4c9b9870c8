// Time per call of the settings and argument code, natively, with Google Benchmark.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "launch/GameProfile.h"
#include "launch/settings.h"

namespace {

// A typical settings file, in a folder of its own that is the working directory.
class TypicalInstallation {
public:
    TypicalInstallation() {
        char pattern[] = "/tmp/ztlv-bench-XXXXXX";
        m_folder = mkdtemp(pattern);
        if (chdir(m_folder.c_str()) != 0) {
            std::abort();
        }
        std::FILE* file = std::fopen(kSettingsFileName, "w");
        std::fputs("C:\\Games\\Zerbs 3D\nC:\\Games\\Zerbs Tolvane\n1024\n768\n60\nTRUE\nFALSE\n"
                   "TRUE\nFALSE\nFALSE\nFALSE\nFALSE\n /LOG\n\n\n",
                   file);
        std::fclose(file);
    }
    ~TypicalInstallation() {
        std::remove(kSettingsFileName);
        if (chdir("/") == 0) {
            rmdir(m_folder.c_str());
        }
    }

private:
    std::string m_folder;
};

void LoadTypicalSettings(benchmark::State& state) {
    TypicalInstallation installation;
    for (auto _ : state) {
        LaunchSettings settings;
        benchmark::DoNotOptimize(LoadSettings(settings));
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(LoadTypicalSettings);

void SaveTypicalSettings(benchmark::State& state) {
    TypicalInstallation installation;
    LaunchSettings settings;
    LoadSettings(settings);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SaveSettings(settings));
    }
}
BENCHMARK(SaveTypicalSettings);

void BuildArguments(benchmark::State& state, const GameProfile& profile) {
    LaunchSettings settings;
    settings.m_width = 1024;
    settings.m_height = 768;
    settings.m_refreshRate = 60;
    settings.m_runInWindow = settings.m_noMusic = settings.m_invertZerbs = 1;
    settings.m_advancedSwitches = " /LOG";
    char arguments[kLaunchArgumentsSize];
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildLaunchArguments(profile, settings, arguments));
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BuildArguments, Zerbs3D, g_zerbs3DProfile);
BENCHMARK_CAPTURE(BuildArguments, ZerbsTolvane, g_tolvaneProfile);

} // namespace

BENCHMARK_MAIN();
