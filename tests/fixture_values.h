#pragma once

#include <cstddef>
#include <string>

#include "launch/settings.h"

// What loading each settings fixture as the settings file gives, required alike of every build:
// the thirteen values in file order, as LoadedValues describes them.
struct FixtureValues {
    const char* fixture;
    const char* values;
    platform::TextForm form = platform::TextForm::kAnsi; // read in, so after a save
    bool kept = false; // a value a save writes back holds a stand-in, so a save leaves the file
};
extern const FixtureValues kFixtureValues[];
extern const std::size_t kFixtureValuesCount;

// Describes the thirteen values, " | " between them: texts with unprintable bytes as <hex> and runs
// of eight or more equal bytes as {count byte}, switches as 0 or 1.
std::string DescribeValues(const char* zerbs3D, const char* tolvane, const LaunchSettings& s);

// Loads and saves each fixture of the folder given, then each byte sequence, as the settings file.
void ExpectEveryRowLoadsAndSaves(const std::string& fixtures);
