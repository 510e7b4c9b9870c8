// What one Play costs in the settings and argument code, counted in instructions by callgrind (run
// with --collect-atstart=no): a typical file is loaded and both games' arguments are built from
// it. Instructions do not move with machine noise.

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include "launch/GameProfile.h"
#include "launch/settings.h"

int LoadAndBuild() {
    LaunchSettings settings;
    if (!LoadSettings(settings)) {
        return 1;
    }
    char zerbs3D[kLaunchArgumentsSize];
    char tolvane[kLaunchArgumentsSize];
    const bool built = BuildLaunchArguments(g_zerbs3DProfile, settings, zerbs3D) &&
                       BuildLaunchArguments(g_tolvaneProfile, settings, tolvane);
    return built ? zerbs3D[0] + tolvane[0] - 2 * '/' : 1;
}

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: settings_instructions FOLDER_WITH_SETTINGS_FILE\n");
        return 2;
    }
    // The first call pays for the C library's one-time set-up; the second is what a Play costs.
    if (LoadAndBuild() != 0) {
        return 1;
    }
    CALLGRIND_TOGGLE_COLLECT;
    const int result = LoadAndBuild();
    CALLGRIND_TOGGLE_COLLECT;
    return result;
}
