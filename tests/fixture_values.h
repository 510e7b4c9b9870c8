#pragma once

#include <cstddef>
#include <string>

#include "launch/settings.h"

// What loading each settings fixture as the settings file gives, required alike of every build:
// the thirteen values in file order, as LoadedValues describes them.
struct FixtureValues {
    const char* fixture;
    const char* values;
    bool kept = false; // the file holds a character the ANSI code page lacks, so a save leaves it
};
extern const FixtureValues kFixtureValues[];
extern const std::size_t kFixtureValuesCount;

// Describes the thirteen values, " | " between them: texts with unprintable bytes as <hex> and runs
// of eight or more equal bytes as {count byte}, switches as 0 or 1.
std::string DescribeValues(const char* zerbs3D, const char* tolvane, const LaunchSettings& s);

// Loads the settings file in the working directory into empty directories and a zeroed record and
// describes its values.
std::string LoadedValues();

// Once LoadedValues has loaded the settings file, loads it again and saves what it loaded, as a
// Play would: the values the file then loads to, or "(kept)" where the save left every byte.
std::string ValuesAfterSave();
