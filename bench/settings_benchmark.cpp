// Time per call of the settings and argument code, natively, with Google Benchmark.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "launch/GameProfile.h"
#include "launch/settings.h"

namespace {

// The example settings file, in a folder of its own that is the working directory.
class TypicalInstallation {
public:
    TypicalInstallation() {
        char pattern[] = "/tmp/ztlv-bench-XXXXXX";
        m_folder = mkdtemp(pattern);
        if (chdir(m_folder.c_str()) != 0) {
            std::abort();
        }
        std::ifstream example(ZTLV_EXAMPLE_SETTINGS, std::ios::binary);
        std::ofstream(kSettingsFileName, std::ios::binary) << example.rdbuf();
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
